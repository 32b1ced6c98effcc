// Starts a program and times its window, for scripts/bench:
//   first-frame [-n N] PROGRAM [ARGUMENT...]
// The program replaces this process (so its PID is the one started); a child
// left behind watches the X server and prints three numbers, the milliseconds
// from the exec to the program's first (or Nth) top-level window being mapped
// and to the first drawing into it, and the wall-clock time of the exec in
// milliseconds since the epoch, then exits. It prints nothing and exits with 1
// when that has not happened within 10 s.
// Asking the server, rather than polling it from a script, keeps the clock
// free of the poller's own start-up.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Watches until the nth window made on the root is mapped and drawn; the start
// is the moment just before the exec, read from the pipe with its wall-clock time.
int watch(xcb_connection_t *c, xcb_window_t root, int started, int nth)
{
    Clock::time_point start;
    std::chrono::system_clock::time_point wall;
    if (read(started, &start, sizeof start) != sizeof start
        || read(started, &wall, sizeof wall) != sizeof wall)
        return 1;

    const uint8_t damageEvent = xcb_get_extension_data(c, &xcb_damage_id)->first_event;
    std::set<xcb_window_t> created;
    xcb_window_t mapped = XCB_NONE;
    double mapMs = 0;
    const int fd = xcb_get_file_descriptor(c);
    while (msSince(start) < 10000) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(xcb_poll_for_event(c),
                                                                         &std::free);
        if (!event) {
            if (xcb_connection_has_error(c))
                return 1;
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 100);
            continue;
        }
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            const auto *e = reinterpret_cast<xcb_create_notify_event_t *>(event.get());
            if (e->parent == root) {
                // Before it is mapped, so that no drawing can come first.
                xcb_damage_create(c, xcb_generate_id(c), e->window,
                                  XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(c);
                created.insert(e->window);
            }
        } else if (type == XCB_MAP_NOTIFY && mapped == XCB_NONE) {
            const auto *e = reinterpret_cast<xcb_map_notify_event_t *>(event.get());
            if (created.count(e->window) && !e->override_redirect && --nth == 0) {
                mapped = e->window;
                mapMs = msSince(start);
            }
        } else if (type == damageEvent + XCB_DAMAGE_NOTIFY && mapped != XCB_NONE) {
            const auto *e = reinterpret_cast<xcb_damage_notify_event_t *>(event.get());
            if (e->drawable == mapped) {
                const std::chrono::duration<double, std::milli> epoch = wall.time_since_epoch();
                std::printf("%.1f %.1f %.1f\n", mapMs, msSince(start), epoch.count());
                return 0;
            }
        }
    }
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    int nth = 1;
    if (argc > 2 && std::strcmp(argv[1], "-n") == 0) {
        nth = std::atoi(argv[2]);
        argv += 2, argc -= 2;
    }
    if (argc < 2 || nth < 1) {
        std::fprintf(stderr, "usage: first-frame [-n N] PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "first-frame: cannot reach the X server\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    // A round trip: the server now reports every window made on the root.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));

    int started[2];
    if (pipe(started) != 0)
        return 1;
    const pid_t watcher = fork();
    if (watcher < 0)
        return 1;
    if (watcher == 0) {
        close(started[1]);
        return watch(c, root, started[0], nth);
    }
    // The program must not inherit the connection or the pipes.
    close(xcb_get_file_descriptor(c));
    close(started[0]);
    const Clock::time_point start = Clock::now();
    const auto wall = std::chrono::system_clock::now();
    if (write(started[1], &start, sizeof start) != sizeof start
        || write(started[1], &wall, sizeof wall) != sizeof wall)
        return 1;
    close(started[1]);
    execvp(argv[1], argv + 1);
    std::perror("first-frame");
    return 127;
}
