#include "ui/UsageRow.h"

#include "ui/PanelLabel.h"
#include "ui/PanelStyle.h"
#include "ui/UsageBar.h"
#include "ui/WindowChartView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

UsageRow::UsageRow(QWidget *parent)
    : QWidget(parent)
    , m_title(new PanelLabel({}, PanelStyle::systemFont(12), PanelLabel::Tone::Primary, this))
    , m_percent(new PanelLabel({}, PanelStyle::monospaced(12, QFont::DemiBold), PanelLabel::Tone::Named, this))
    , m_chart(new WindowChartView(this))
    , m_bar(new UsageBar(this))
    , m_reset(new PanelLabel({}, PanelStyle::systemFont(10), PanelLabel::Tone::Secondary, this))
    , m_projection(new PanelLabel({}, PanelStyle::systemFont(10), PanelLabel::Tone::Named, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    auto *line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    // A long limit name wraps beside the percentage; it is shown in full.
    m_title->setWordWrap(true);
    m_percent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line->addWidget(m_title, 1);
    line->addWidget(m_chart);
    line->addWidget(m_percent);
    layout->addLayout(line);
    layout->addWidget(m_bar);
    layout->addWidget(m_reset);
    layout->addWidget(m_projection);
}

void UsageRow::setModel(const RowModel &row)
{
    m_title->setText(row.title);
    m_percent->setText(row.percentText);
    m_percent->setNamedColor(row.color);
    m_chart->setChart(row.chart, row.color);
    m_chart->setVisible(row.chart.has_value());
    m_bar->setValue(row.filledFraction, row.color);
    m_reset->setText(row.resetText.value_or(QString()));
    m_reset->setVisible(row.resetText.has_value());
    setToolTip(row.resetClock.value_or(QString()));
    m_bar->setMarker(row.paceMarker);
    m_projection->setText(row.projectionText.value_or(QString()));
    m_projection->setNamedColor(row.color);
    m_projection->setVisible(row.projectionText.has_value());
}

QString UsageRow::projectionText() const
{
    return m_projection->isHidden() ? QString() : m_projection->text();
}

QString UsageRow::titleText() const
{
    return m_title->text();
}

QString UsageRow::percentText() const
{
    return m_percent->text();
}

QString UsageRow::resetText() const
{
    return m_reset->isHidden() ? QString() : m_reset->text();
}
