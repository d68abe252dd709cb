// Starts a program under an X11 system tray and reports how long after exec
// its icon was shown: the moment a new top-level window is reparented into
// the tray and mapped there. Nothing but a tray reparents windows on a bare
// Xvfb display, so no cooperation of the program is needed and floor and
// Quotix are timed the same way.
//
// Usage: tray_watch COMMAND [ARGS...]
// Prints "shown_ms MS window WINDOW pid PID" as soon as the icon is shown,
// then waits for the program to end (kill PID) and exits with its status;
// exits 1 if no icon appears within 20 seconds.
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <set>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t *c, const std::string &name)
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.c_str()), nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

bool isViewable(xcb_connection_t *c, xcb_window_t window)
{
    Reply<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr), &std::free);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fputs("usage: tray_watch COMMAND [ARGS...]\n", stderr);
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fputs("tray_watch: cannot open the display\n", stderr);
        return 2;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    // The tray must be there before the clock starts.
    const xcb_atom_t selection = atom(c, "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber));
    const auto trayDeadline = Clock::now() + std::chrono::seconds(10);
    for (;;) {
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr), &std::free);
        if (owner && owner->owner != XCB_NONE)
            break;
        if (Clock::now() > trayDeadline) {
            std::fputs("tray_watch: no system tray on this display\n", stderr);
            return 2;
        }
        usleep(20'000);
    }

    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    xcb_flush(c);

    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[1], argv + 1);
        std::perror("tray_watch: exec");
        _exit(127);
    }

    std::set<xcb_window_t> created;  // top-level windows made since the start
    std::set<xcb_window_t> embedded; // of those, the ones the tray took in
    xcb_window_t shown = XCB_NONE;
    const auto deadline = start + std::chrono::seconds(20);
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (shown == XCB_NONE && Clock::now() < deadline) {
        // A map can slip in before our interest in the window reached the
        // server, so embedded windows are also asked directly, often.
        poll(&fd, 1, embedded.empty() ? 100 : 1);
        while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
            switch (event->response_type & ~0x80) {
            case XCB_CREATE_NOTIFY: {
                const auto *e = reinterpret_cast<xcb_create_notify_event_t *>(event);
                if (e->parent == root) {
                    created.insert(e->window);
                    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                    xcb_change_window_attributes(c, e->window, XCB_CW_EVENT_MASK, &mask);
                    xcb_flush(c);
                }
                break;
            }
            case XCB_REPARENT_NOTIFY: {
                const auto *e = reinterpret_cast<xcb_reparent_notify_event_t *>(event);
                if (created.count(e->window) && e->parent != root)
                    embedded.insert(e->window);
                break;
            }
            case XCB_MAP_NOTIFY: {
                const auto *e = reinterpret_cast<xcb_map_notify_event_t *>(event);
                if (embedded.count(e->window))
                    shown = e->window;
                break;
            }
            default: break;
            }
            std::free(event);
        }
        for (xcb_window_t window : embedded) {
            if (shown == XCB_NONE && isViewable(c, window))
                shown = window;
        }
    }
    if (shown == XCB_NONE) {
        std::fprintf(stderr, "tray_watch: no tray icon from pid %d within 20 s\n", int(pid));
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return 1;
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("shown_ms %.2f window %u pid %d\n", ms, unsigned(shown), int(pid));
    std::fflush(stdout);
    xcb_disconnect(c);

    // Stay the program's parent, so that it is reaped when it ends.
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
