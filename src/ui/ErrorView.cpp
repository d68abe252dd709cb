#include "ui/ErrorView.h"

#include "ui/PanelLabel.h"
#include "ui/PanelStyle.h"
#include "ui/WarningSign.h"

#include <QVBoxLayout>

ErrorView::ErrorView(const QString &message, QWidget *parent)
    : QWidget(parent)
    , m_message(new PanelLabel(message, PanelStyle::caption(), PanelLabel::Tone::Secondary, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(PanelStyle::Padding, PanelStyle::Padding, PanelStyle::Padding, PanelStyle::Padding);
    layout->setSpacing(8);
    m_message->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_message->setWordWrap(true);
    layout->addWidget(new WarningSign(this), 0, Qt::AlignHCenter);
    layout->addWidget(m_message);
}

QString ErrorView::message() const
{
    return m_message->text();
}
