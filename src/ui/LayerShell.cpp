#include "ui/LayerShell.h"

#include "core/Logging.h"

#include <LayerShellQt/Window>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QRasterWindow>
#include <QScreen>
#include <QWindow>

#include <wayland-client.h>

#include <cstring>

namespace {

// Lists the compositor's globals on a queue of our own, so Qt's own
// dispatching of the display is left alone.
bool compositorOffersLayerShell()
{
    auto *wayland = qGuiApp->nativeInterface<QNativeInterface::QWaylandApplication>();
    wl_display *display = wayland ? wayland->display() : nullptr;
    if (!display)
        return false;
    wl_event_queue *queue = wl_display_create_queue(display);
    auto *wrapper = static_cast<wl_display *>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(wrapper), queue);
    wl_registry *registry = wl_display_get_registry(wrapper);
    bool offered = false;
    static const wl_registry_listener listener{
        [](void *data, wl_registry *, uint32_t, const char *interface, uint32_t) {
            if (std::strcmp(interface, "zwlr_layer_shell_v1") == 0)
                *static_cast<bool *>(data) = true;
        },
        [](void *, wl_registry *, uint32_t) {},
    };
    wl_registry_add_listener(registry, &listener, &offered);
    wl_display_roundtrip_queue(display, queue);
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(wrapper);
    wl_event_queue_destroy(queue);
    return offered;
}

// A clear layer surface over the screen under a panel that holds the
// keyboard: no other client learns of a click elsewhere, so this one takes
// it and closes the panel. The desktop's own panels stay clickable (the tray
// item toggles the panel itself).
class ClickCatcher : public QRasterWindow
{
public:
    explicit ClickCatcher(QWindow *panel)
        : m_panel(panel)
    {
        QSurfaceFormat clear = format();
        clear.setAlphaBufferSize(8);
        setFormat(clear);
        QObject::connect(panel, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                hide();
        });
    }

    QWindow *panel() const { return m_panel; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(QRect(QPoint(), size()), Qt::transparent);
    }
    void mousePressEvent(QMouseEvent *) override
    {
        hide();
        if (m_panel)
            m_panel->close();
    }

private:
    QPointer<QWindow> m_panel;
};

void coverOutside(QWindow *panel, QScreen *screen)
{
    using LayerWindow = LayerShellQt::Window;
    static QPointer<ClickCatcher> catcher;
    if (catcher && catcher->panel() != panel)
        delete catcher; // the panel has a new window
    if (!catcher)
        catcher = new ClickCatcher(panel);
    if (catcher->isVisible())
        return;
    if (screen) {
        catcher->setScreen(screen);
        catcher->resize(screen->geometry().size()); // the compositor fits it between the anchors
    }
    catcher->create();
    delete catcher->findChild<LayerWindow *>(QString(), Qt::FindDirectChildrenOnly); // see anchor()
    LayerWindow *layer = LayerWindow::get(catcher);
    layer->setLayer(LayerWindow::LayerTop);
    layer->setKeyboardInteractivity(LayerWindow::KeyboardInteractivityNone);
    layer->setExclusiveZone(0);
    layer->setScope(QStringLiteral("quotix-outside"));
    layer->setScreenConfiguration(LayerWindow::ScreenFromQWindow);
    layer->setAnchors({LayerWindow::AnchorTop, LayerWindow::AnchorBottom, LayerWindow::AnchorLeft,
                       LayerWindow::AnchorRight});
    catcher->show(); // before the panel, so the panel is mapped above it
}

} // namespace

bool LayerShell::isAvailable()
{
    static const bool available = [] {
        const bool offered = compositorOffersLayerShell();
        qCDebug(lcPanel) << "layer-shell offered by the compositor:" << offered;
        return offered;
    }();
    return available;
}

void LayerShell::anchor(QWindow *window, const LayerAnchor &anchor, QScreen *screen, bool holdsKeyboard)
{
    if (!window || !isAvailable())
        return;
    using LayerWindow = LayerShellQt::Window;
    // Qt Wayland forgets the layer-shell role of a window it has hidden: shown
    // again, it came back as a titled top-level the compositor tiled. A fresh
    // LayerShellQt::Window gives the role to the native window anew.
    if (!window->isVisible())
        delete window->findChild<LayerWindow *>(QString(), Qt::FindDirectChildrenOnly);
    LayerWindow *layer = LayerWindow::get(window);
    LayerWindow::Anchors anchors;
    QMargins margins;
    switch (anchor.edge) {
    case Qt::TopEdge:
        anchors = {LayerWindow::AnchorTop, LayerWindow::AnchorLeft};
        margins = {anchor.offset, anchor.fromEdge, 0, 0};
        break;
    case Qt::BottomEdge:
        anchors = {LayerWindow::AnchorBottom, LayerWindow::AnchorLeft};
        margins = {anchor.offset, 0, 0, anchor.fromEdge};
        break;
    case Qt::LeftEdge:
        anchors = {LayerWindow::AnchorLeft, LayerWindow::AnchorTop};
        margins = {anchor.fromEdge, anchor.offset, 0, 0};
        break;
    case Qt::RightEdge:
        anchors = {LayerWindow::AnchorRight, LayerWindow::AnchorTop};
        margins = {0, anchor.offset, anchor.fromEdge, 0};
        break;
    }
    // Above normal windows. An exclusive zone of 0 keeps it clear of the
    // desktop's own panels.
    layer->setLayer(LayerWindow::LayerTop);
    layer->setKeyboardInteractivity(holdsKeyboard ? LayerWindow::KeyboardInteractivityExclusive
                                                  : LayerWindow::KeyboardInteractivityOnDemand);
    if (holdsKeyboard && !window->isVisible())
        coverOutside(window, screen);
    layer->setExclusiveZone(0);
    layer->setScope(QStringLiteral("quotix-panel"));
    layer->setScreenConfiguration(LayerWindow::ScreenFromQWindow);
    if (screen)
        window->setScreen(screen);
    layer->setAnchors(anchors);
    layer->setMargins(margins);
    qCDebug(lcPanel) << "layer surface at edge" << anchor.edge << "offset" << anchor.offset << "on screen"
                     << (screen ? screen->name() : QString());
}
