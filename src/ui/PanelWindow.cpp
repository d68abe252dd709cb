#include "ui/PanelWindow.h"

#include "core/Logging.h"
#include "presentation/PanelGeometry.h"
#include "ui/LayerShell.h"
#include "ui/PanelView.h"
#include "ui/PanelStyle.h"
#include "ui/ScrollStack.h"
#include "ui/UiResources.h"

#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

PanelWindow::PanelWindow(UsageManager *manager, Preferences *preferences, LaunchAtLogin *launchAtLogin,
                           QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_view(new PanelView(manager, preferences, launchAtLogin, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    setFixedWidth(PanelStyle::Width);
    setWindowTitle(QStringLiteral("Quotix"));
    connect(m_view, &PanelView::quitRequested, this, &PanelWindow::quitRequested);
    connect(m_view, &PanelView::contentChanged, this, [this] {
        if (isVisible())
            place();
    });
}

PanelWindow::~PanelWindow() = default;

void PanelWindow::showAnchored(const QRect &trayGeometry, const QPoint &point)
{
    showPlaced(PanelPlacement{PanelMode::AnchoredPopup, trayGeometry, point});
}

void PanelWindow::showPlaced(const PanelPlacement &placement)
{
    if (!isVisible())
        setMode(placement.mode);
    m_trayGeometry = placement.trayGeometry;
    m_point = placement.point;
    if (isVisible() || !windowManagerPlaces() || !m_freeAreaSource || !m_trayGeometry.isEmpty())
        return showNow();
    QScreen *screen = screenAtAnchor();
    if (!screen)
        return showNow();
    // Its answer comes in a few milliseconds; until then nothing shows, so
    // the panel is never seen over the bar.
    m_freeArea.reset();
    const int asked = ++m_freeAreaAsked;
    m_freeAreaSource(screen->geometry(), [panel = QPointer(this), asked](std::optional<QRect> area) {
        if (!panel || asked != panel->m_freeAreaAsked)
            return;
        panel->m_freeArea = area;
        panel->showNow();
    });
}

void PanelWindow::showNow()
{
    // A hidden view is not kept current: render it now, so the window is mapped
    // at its final size and place. A second geometry while the window manager
    // maps it could be lost (KWin under XWayland then put it at 0,0).
    m_view->render();
    place();
    show();
    if (windowManagerPlaces())
        m_placer(winId(), geometry().topLeft());
    raise();
    activateWindow();
    // The panel itself takes the keys (Escape), so no button opens with a focus ring.
    setFocus(Qt::ActiveWindowFocusReason);
}

void PanelWindow::setMode(PanelMode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    switch (mode) {
    case PanelMode::AnchoredPopup: setWindowFlags(Qt::Popup | Qt::FramelessWindowHint); break;
    case PanelMode::AnchoredTool:
    case PanelMode::AnchoredLayer: setWindowFlags(Qt::Tool | Qt::FramelessWindowHint); break;
    case PanelMode::PlacedWindow:
        // A panel, not a document: a title and a close button, no maximise.
        setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        // Only a titled window shows an icon; drawing it loads the SVG
        // renderer, which the anchored modes never need.
        if (!testAttribute(Qt::WA_SetWindowIcon))
            setWindowIcon(applicationIcon());
        break;
    }
}

int PanelWindow::contentHeight()
{
    QLayout *box = layout();
    box->activate();
    return box->hasHeightForWidth() ? box->totalHeightForWidth(PanelStyle::Width) : box->totalSizeHint().height();
}

int PanelWindow::fitHeight(int limit)
{
    // The sections give up what the panel lacks, the rest keeps its size.
    ScrollStack *sections = m_view->sectionsArea();
    const auto setSectionsMaximum = [this, sections](int height) {
        sections->setMaximumHeight(height);
        // Each layer's layout would hear of it only from a posted event.
        for (QWidget *layer = sections->parentWidget(); layer && layer != this; layer = layer->parentWidget())
            layer->updateGeometry();
    };
    setSectionsMaximum(QWIDGETSIZE_MAX);
    const int height = contentHeight();
    if (!m_heightLimited || height <= limit)
        return height;
    // They span the panel but for its padding, laid out yet or not.
    const int sectionsHeight = sections->heightForWidth(PanelStyle::Width - 2 * PanelStyle::Padding);
    setSectionsMaximum(std::max(sections->minimumSizeHint().height(), sectionsHeight - (height - limit)));
    return contentHeight();
}

QScreen *PanelWindow::screenAtAnchor() const
{
    QScreen *screen = QGuiApplication::screenAt(m_trayGeometry.isEmpty() ? m_point : m_trayGeometry.center());
    return screen ? screen : QGuiApplication::primaryScreen();
}

void PanelWindow::place()
{
    if (m_mode == PanelMode::PlacedWindow) {
        // The compositor or window manager decides where it goes; its size is
        // the content's, which a fixed size tells it, so it offers no maximise.
        QScreen *screen = screenAtAnchor();
        const int limit = screen ? panelHeightLimit(m_mode, {}, {}, screen->availableGeometry()) : QWIDGETSIZE_MAX;
        setFixedSize(PanelStyle::Width, fitHeight(limit));
        return;
    }
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    if (m_mode == PanelMode::AnchoredLayer) {
        // The compositor places it by its anchors and margins, set before it is shown.
        const QList<QScreen *> screens = QGuiApplication::screens();
        QList<QRect> areas;
        for (const QScreen *screen : screens)
            areas.append(screen->geometry());
        // The screen comes from the click alone; the offset along the edge from the size too.
        LayerAnchor anchor = layerAnchor(QSize(PanelStyle::Width, contentHeight()), m_point, areas);
        const QScreen *screen = screens.value(anchor.screen);
        const int limit = screen ? panelHeightLimit(m_mode, {}, {}, screen->availableGeometry()) : QWIDGETSIZE_MAX;
        resize(PanelStyle::Width, fitHeight(limit));
        anchor = layerAnchor(size(), m_point, areas);
        anchor.fromEdge = m_panelFloat;
        winId(); // the native window the layer surface is made of
        LayerShell::anchor(windowHandle(), anchor, screens.value(anchor.screen), m_layerHoldsKeyboard);
        return;
    }
    QScreen *screen = screenAtAnchor();
    QRect available
        = screen ? clearOfFloatingPanels(screen->geometry(), screen->availableGeometry(), m_panelFloat) : QRect();
    if (screen && windowManagerPlaces() && m_trayGeometry.isEmpty()) {
        // The window manager's word where it gave one for this screen, else a guess from the click.
        if (m_freeArea && screen->geometry().contains(*m_freeArea))
            available = *m_freeArea;
        else
            available = clearOfUnreportedBar(screen->geometry(), available, m_point);
    }
    const int height = fitHeight(
        screen ? panelHeightLimit(m_mode, m_trayGeometry, m_point, available) : QWIDGETSIZE_MAX);
    const QRect geometry = panelGeometry(QSize(PanelStyle::Width, height), m_trayGeometry, m_point,
                                         screen ? available : QRect(QPoint(0, 0), QSize(PanelStyle::Width, height)));
    qCDebug(lcPanel) << "placed at" << geometry << "for item" << m_trayGeometry << "point" << m_point << "on screen"
                     << (screen ? screen->name() : QString()) << "with available area" << available;
    setGeometry(geometry);
    // Such a window manager centres the window again on any new size.
    if (windowManagerPlaces() && isVisible())
        m_placer(winId(), geometry.topLeft());
}

void PanelWindow::paintEvent(QPaintEvent *)
{
    if (m_mode == PanelMode::PlacedWindow)
        return; // the window frame sets it apart
    // A frameless popup needs an edge of its own to stand apart from what lies behind.
    QPainter painter(this);
    QColor edge = palette().color(QPalette::WindowText);
    edge.setAlphaF(0.25f);
    painter.setPen(edge);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PanelWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel) || event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool PanelWindow::event(QEvent *event)
{
    // A popup closes on a click outside by its grab; the others when the user turns elsewhere.
    if (event->type() == QEvent::WindowDeactivate && m_mode != PanelMode::AnchoredPopup && isVisible())
        close();
    return QWidget::event(event);
}

void PanelWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    Q_EMIT closed();
}
