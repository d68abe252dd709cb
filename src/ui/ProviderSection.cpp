#include "ui/ProviderSection.h"

#include "presentation/EmptyState.h"
#include "ui/BusyIndicator.h"
#include "ui/PanelLabel.h"
#include "ui/PanelStyle.h"
#include "ui/ProviderIcon.h"
#include "ui/UsageRow.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

ProviderSection::ProviderSection(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this))
    , m_icon(new ProviderIcon(this))
    , m_name(new PanelLabel({}, PanelStyle::systemFont(11, QFont::DemiBold), PanelLabel::Tone::Secondary, this))
    , m_busy(new BusyIndicator(10, this))
    , m_error(new PanelLabel({}, PanelStyle::caption2(), PanelLabel::Tone::Named, this))
    , m_errorDetail(new PanelLabel({}, PanelStyle::caption2(), PanelLabel::Tone::Secondary, this))
    , m_waiting(new PanelLabel(LoadingText, PanelStyle::caption(), PanelLabel::Tone::Secondary, this))
    , m_notes(new PanelLabel({}, PanelStyle::caption2(), PanelLabel::Tone::Secondary, this))
{
    m_layout->setContentsMargins(0, 4, 0, 4);
    m_layout->setSpacing(8);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(6);
    header->addWidget(m_icon, 0, Qt::AlignVCenter);
    header->addWidget(m_name, 0, Qt::AlignVCenter);
    header->addStretch(1);
    header->addWidget(m_busy, 0, Qt::AlignVCenter);
    m_layout->addLayout(header);

    m_error->setNamedColor(NamedColor::Red);
    m_error->setWordWrap(true);
    m_error->setContentsMargins(0, 2, 0, 2);
    m_layout->addWidget(m_error);
    m_errorDetail->setWordWrap(true);
    m_layout->addWidget(m_errorDetail);
    m_layout->addWidget(m_waiting);
    m_notes->setWordWrap(true);
    m_layout->addWidget(m_notes);
    m_notes->hide();
    m_busy->hide();
    m_error->hide();
    m_errorDetail->hide();
    m_waiting->hide();
}

void ProviderSection::setModel(const SectionModel &section)
{
    m_icon->setIcon(section.iconName, section.iconText);
    m_name->setText(section.title);
    m_busy->setVisible(section.isLoading);

    m_error->setVisible(section.body == SectionBody::Error);
    m_error->setText(section.errorText);
    m_errorDetail->setVisible(section.body == SectionBody::Error && !section.errorDetailText.isEmpty());
    m_errorDetail->setText(section.errorDetailText);
    m_waiting->setVisible(section.body == SectionBody::Waiting);
    QStringList notes = section.notes;
    if (!section.staleText.isEmpty())
        notes.append(section.staleText);
    m_notes->setText(notes.join(u'\n'));
    m_notes->setVisible(section.body == SectionBody::Rows && !notes.isEmpty());

    const QList<RowModel> &rows = section.rows;
    while (m_rows.size() < rows.size()) {
        auto *row = new UsageRow(this);
        m_layout->insertWidget(m_layout->indexOf(m_waiting), row);
        m_rows.append(row);
    }
    while (m_rows.size() > rows.size()) {
        UsageRow *row = m_rows.takeLast();
        m_layout->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        m_rows.at(i)->setModel(rows.at(i));
        m_rows.at(i)->show();
    }
}

QString ProviderSection::title() const
{
    return m_name->text();
}

bool ProviderSection::showsError() const
{
    return !m_error->isHidden();
}

QString ProviderSection::errorText() const
{
    return m_error->text();
}

QString ProviderSection::errorDetailText() const
{
    return m_errorDetail->isHidden() ? QString() : m_errorDetail->text();
}

QString ProviderSection::notesText() const
{
    return m_notes->isHidden() ? QString() : m_notes->text();
}

QList<UsageRow *> ProviderSection::visibleRows() const
{
    QList<UsageRow *> rows;
    for (UsageRow *row : m_rows) {
        if (!row->isHidden())
            rows.append(row);
    }
    return rows;
}
