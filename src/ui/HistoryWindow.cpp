#include "ui/HistoryWindow.h"

#include "presentation/PanelGeometry.h"
#include "ui/PanelLabel.h"
#include "ui/PanelStyle.h"
#include "ui/ScrollStack.h"
#include "ui/SegmentedPicker.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// One limit's period: the used share, faint day lines, resets as dashed
// lines, the times it reached 100 % as red dots along the top.
class HistoryChartView : public QWidget
{
public:
    HistoryChartView(HistoryChart chart, int days, QWidget *parent)
        : QWidget(parent)
        , m_chart(std::move(chart))
        , m_days(days)
    {
        setMinimumSize(480, 72);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area = QRectF(rect()).adjusted(4, 6, -4, -2);
        const auto at = [&](const QPointF &share) {
            return QPointF(area.left() + share.x() * area.width(), area.bottom() - share.y() * area.height());
        };
        QColor box = palette().color(QPalette::WindowText);
        box.setAlphaF(0.04f);
        painter.fillRect(area, box);
        painter.setPen(QPen(PanelStyle::divider(palette()), 1));
        for (int day = 1; day < m_days; ++day) {
            const double x = double(day) / m_days;
            painter.drawLine(at({x, 0}), at({x, 1}));
        }
        painter.drawLine(at({0, 0}), at({1, 0}));
        painter.drawLine(at({0, 1}), at({1, 1}));

        const QColor line = palette().color(QPalette::Highlight);
        QColor fill = line;
        fill.setAlphaF(0.2f);
        for (const QList<QPointF> &run : std::as_const(m_chart.runs)) {
            QPainterPath path(at(run.first()));
            for (qsizetype i = 1; i < run.size(); ++i)
                path.lineTo(at(run.at(i)));
            QPainterPath under = path;
            under.lineTo(at({run.last().x(), 0}));
            under.lineTo(at({run.first().x(), 0}));
            under.closeSubpath();
            painter.fillPath(under, fill);
            painter.setPen(QPen(line, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            if (run.size() == 1)
                painter.drawPoint(at(run.first()));
            else
                painter.drawPath(path);
        }

        // Over the line: a reset often falls on its drop.
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DashLine));
        for (double x : std::as_const(m_chart.resets))
            painter.drawLine(at({x, 0}), at({x, 1}));

        painter.setPen(Qt::NoPen);
        painter.setBrush(PanelStyle::color(NamedColor::Red, palette()));
        for (double x : std::as_const(m_chart.reached))
            painter.drawEllipse(at({x, 1}), 3.5, 3.5);
    }

private:
    HistoryChart m_chart;
    int m_days;
};

} // namespace

HistoryWindow::HistoryWindow(HistorySource source, QHash<QString, QString> providerNames, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_source(std::move(source))
    , m_names(std::move(providerNames))
    , m_picker(new SegmentedPicker(
          {QCoreApplication::translate("History", "7 Days"), QCoreApplication::translate("History", "30 Days")}, this))
    , m_chartsArea(new ScrollStack(PanelStyle::StackSpacing, this))
    , m_empty(new PanelLabel(QCoreApplication::translate("History", "No usage has been recorded in this period."),
                             PanelStyle::systemFont(12), PanelLabel::Tone::Secondary, this))
{
    setWindowTitle(QCoreApplication::translate("History", "History"));
    setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(PanelStyle::Padding, PanelStyle::Padding, PanelStyle::Padding, PanelStyle::Padding);
    layout->setSpacing(PanelStyle::StackSpacing);
    auto *header = new QHBoxLayout;
    header->addWidget(new PanelLabel(QCoreApplication::translate("History", "History"), PanelStyle::headline(),
                                     PanelLabel::Tone::Primary, this),
                      1);
    header->addWidget(m_picker);
    layout->addLayout(header);
    layout->addWidget(m_chartsArea);
    layout->addWidget(m_empty);
    layout->addWidget(new PanelLabel(
        QCoreApplication::translate("History", "Dashed lines: resets. Red dots: the limit reached 100%."),
        PanelStyle::systemFont(10), PanelLabel::Tone::Secondary, this));
    layout->addStretch(1);
    m_picker->setCurrentIndex(0);
    connect(m_picker, &SegmentedPicker::indexChosen, this, [this](int index) {
        m_period = index == 1 ? 1 : 0;
        m_picker->setCurrentIndex(m_period);
        reload();
    });
}

bool HistoryWindow::showsEmptyText() const
{
    return !m_empty->isHidden();
}

void HistoryWindow::setProviderNames(QHash<QString, QString> providerNames)
{
    if (providerNames == m_names)
        return;
    m_names = std::move(providerNames);
    if (isVisible())
        reload();
}

void HistoryWindow::showEvent(QShowEvent *event)
{
    reload();
    if (!m_heightChosen)
        fitHeight();
    QWidget::showEvent(event);
}

void HistoryWindow::hideEvent(QHideEvent *event)
{
    // Told apart from our own fitting only here: resizes the window manager
    // and the user make arrive alike.
    if (m_fittedHeight >= 0 && height() != m_fittedHeight)
        m_heightChosen = true;
    QWidget::hideEvent(event);
}

void HistoryWindow::fitHeight()
{
    // A titled window the window manager places, as the panel can be: the
    // same room on its screen, and the charts give up what it lacks. The
    // charts just made would reach the layout only from a posted event.
    m_chartsArea->stack()->activate();
    m_chartsArea->updateGeometry();
    QLayout *box = layout();
    box->activate();
    const int content = box->hasHeightForWidth() ? box->totalHeightForWidth(width()) : box->totalSizeHint().height();
    const QScreen *screen = this->screen();
    const int limit = screen ? panelHeightLimit(PanelMode::PlacedWindow, {}, {}, screen->availableGeometry())
                             : QWIDGETSIZE_MAX;
    resize(width(), std::max(minimumSizeHint().height(), std::min(content, limit)));
    m_fittedHeight = height();
}

void HistoryWindow::reload(const QDateTime &now)
{
    const QDateTime to = now.isValid() ? now : QDateTime::currentDateTimeUtc();
    const QDateTime from = to.addDays(-days());
    m_charts = historyCharts(m_source ? m_source(from) : QList<HistorySample>{}, from, to);

    qDeleteAll(m_chartWidgets);
    m_chartWidgets.clear();
    m_titles.clear();
    const QLocale locale;
    for (const HistoryChart &chart : std::as_const(m_charts)) {
        auto *block = new QWidget;
        auto *blockLayout = new QVBoxLayout(block);
        blockLayout->setContentsMargins(0, 0, 0, 0);
        blockLayout->setSpacing(2);
        m_titles.append(m_names.value(chart.provider, chart.provider) + u" \u00b7 "_s + chart.limit);
        blockLayout->addWidget(new PanelLabel(m_titles.constLast(), PanelStyle::systemFont(12, QFont::DemiBold),
                                              PanelLabel::Tone::Primary, block));
        blockLayout->addWidget(new HistoryChartView(chart, days(), block));
        auto *axis = new QHBoxLayout;
        axis->addWidget(new PanelLabel(locale.toString(from.toLocalTime().date(), QLocale::ShortFormat),
                                       PanelStyle::systemFont(10), PanelLabel::Tone::Secondary, block), 1);
        auto *nowLabel = new PanelLabel(QCoreApplication::translate("History", "Now"), PanelStyle::systemFont(10),
                                        PanelLabel::Tone::Secondary, block);
        nowLabel->setAlignment(Qt::AlignRight);
        axis->addWidget(nowLabel);
        blockLayout->addLayout(axis);
        m_chartsArea->stack()->addWidget(block);
        block->show(); // now, not from a queued call: the window's height is fitted to it
        m_chartWidgets.append(block);
    }
    m_empty->setVisible(m_charts.isEmpty());
}
