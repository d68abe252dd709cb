#include "ui/MenuBarPanel.h"

#include "ui/MenuBarView.h"
#include "presentation/PanelGeometry.h"
#include "ui/PanelStyle.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

MenuBarPanel::MenuBarPanel(UsageManager *manager, Preferences *preferences, LaunchAtLogin *launchAtLogin, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_view(new MenuBarView(manager, preferences, launchAtLogin, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFixedWidth(PanelStyle::Width);
    connect(m_view, &MenuBarView::quitRequested, this, &MenuBarPanel::quitRequested);
    connect(m_view, &MenuBarView::contentChanged, this, [this] {
        if (isVisible())
            place();
    });
}

MenuBarPanel::~MenuBarPanel() = default;

void MenuBarPanel::showAnchored(const QRect &trayGeometry, const QPoint &point)
{
    m_trayGeometry = trayGeometry;
    m_point = point;
    // Showing the view renders it afresh, and the new content size places the
    // panel again before the window is mapped.
    place();
    show();
    raise();
    activateWindow();
}

void MenuBarPanel::place()
{
    QLayout *box = layout();
    box->activate();
    const int height = box->hasHeightForWidth() ? box->totalHeightForWidth(PanelStyle::Width)
                                                : box->totalSizeHint().height();
    const QPoint probe = m_trayGeometry.isEmpty() ? m_point : m_trayGeometry.center();
    QScreen *screen = QGuiApplication::screenAt(probe);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), QSize(PanelStyle::Width, height));
    setGeometry(panelGeometry(QSize(PanelStyle::Width, height), m_trayGeometry, m_point, available));
}

void MenuBarPanel::paintEvent(QPaintEvent *)
{
    // A frameless popup needs an edge of its own to stand apart from what lies behind.
    QPainter painter(this);
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.25f);
    painter.setPen(edge);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void MenuBarPanel::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel) || event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void MenuBarPanel::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    Q_EMIT closed();
}
