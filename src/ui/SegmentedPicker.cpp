#include "ui/SegmentedPicker.h"

#include "ui/PanelStyle.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>

namespace {

constexpr int Height = 24;
constexpr int Inset = 2;
constexpr qreal Radius = 6.0;

// One segment: its label, and a raised pill behind it when selected.
class SegmentButton : public QAbstractButton
{
public:
    SegmentButton(const QString &text, QWidget *parent)
        : QAbstractButton(parent)
    {
        setText(text);
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus);
        setFont(PanelStyle::systemFont(12, QFont::Medium));
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return {fontMetrics().horizontalAdvance(text()) + 24, Height - 2 * Inset}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPalette &pal = palette();
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        if (isChecked()) {
            const bool dark = PanelStyle::isDark(pal);
            QColor fill = dark ? QColor(255, 255, 255, 60) : pal.color(QPalette::Base);
            QColor edge = pal.color(QPalette::WindowText);
            edge.setAlphaF(dark ? 0.10f : 0.14f);
            painter.setPen(QPen(edge, 1.0));
            painter.setBrush(fill);
            painter.drawRoundedRect(box, Radius - Inset, Radius - Inset);
        }
        if (hasFocus()) {
            painter.setPen(QPen(pal.color(QPalette::Highlight), 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), Radius - Inset, Radius - Inset);
        }
        QColor text = pal.color(QPalette::WindowText);
        if (!isChecked() && !underMouse())
            text.setAlphaF(0.8f);
        painter.setPen(text);
        painter.drawText(rect(), Qt::AlignCenter, this->text());
    }

    void enterEvent(QEnterEvent *event) override
    {
        QAbstractButton::enterEvent(event);
        update();
    }
    void leaveEvent(QEvent *event) override
    {
        QAbstractButton::leaveEvent(event);
        update();
    }
};

} // namespace

SegmentedPicker::SegmentedPicker(const QStringList &labels, QWidget *parent)
    : QWidget(parent)
    , m_group(new QButtonGroup(this))
{
    m_group->setExclusive(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(Inset, Inset, Inset, Inset);
    layout->setSpacing(Inset);
    for (int i = 0; i < labels.size(); ++i) {
        auto *button = new SegmentButton(labels.at(i), this);
        m_group->addButton(button, i);
        layout->addWidget(button, 1);
    }
    setFixedHeight(Height);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedPicker::indexChosen);
}

int SegmentedPicker::currentIndex() const
{
    return m_group->checkedId();
}

void SegmentedPicker::setCurrentIndex(int index)
{
    if (QAbstractButton *button = m_group->button(index))
        button->setChecked(true);
}

QAbstractButton *SegmentedPicker::segment(int index) const
{
    return m_group->button(index);
}

void SegmentedPicker::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor track = palette().color(QPalette::WindowText);
    track.setAlphaF(0.08f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(track);
    painter.drawRoundedRect(QRectF(rect()), Radius, Radius);
}
