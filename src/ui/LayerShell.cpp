#include "ui/LayerShell.h"

#include "core/Logging.h"
#include "presentation/PanelPlacement.h"

#include <LayerShellQt/Window>
#include <QGuiApplication>
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

void LayerShell::anchor(QWindow *window, const LayerAnchor &anchor, QScreen *screen)
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
        margins.setLeft(anchor.offset);
        break;
    case Qt::BottomEdge:
        anchors = {LayerWindow::AnchorBottom, LayerWindow::AnchorLeft};
        margins.setLeft(anchor.offset);
        break;
    case Qt::LeftEdge:
        anchors = {LayerWindow::AnchorLeft, LayerWindow::AnchorTop};
        margins.setTop(anchor.offset);
        break;
    case Qt::RightEdge:
        anchors = {LayerWindow::AnchorRight, LayerWindow::AnchorTop};
        margins.setTop(anchor.offset);
        break;
    }
    // Above normal windows. An exclusive zone of 0 keeps it clear of the
    // desktop's own panels.
    layer->setLayer(LayerWindow::LayerTop);
    layer->setKeyboardInteractivity(layerHoldsKeyboard(qgetenv("XDG_CURRENT_DESKTOP"))
                                        ? LayerWindow::KeyboardInteractivityExclusive
                                        : LayerWindow::KeyboardInteractivityOnDemand);
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
