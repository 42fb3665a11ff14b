// The start-up benchmark's stopwatch: waits on the X display for a top-level window whose title
// holds the text given to be mapped, and prints the wall-clock time of that (nanoseconds since
// the epoch). Told by the display itself, so no polling process competes with the program
// being timed. Prints "ready" once it listens; gives up after 60 s.
#include <poll.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {
std::string WindowTitle(xcb_connection_t* connection, xcb_window_t window) {
    std::string title;
    for (const char* name : {"_NET_WM_NAME", "WM_NAME"}) {
        const xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
        if (!atom) {
            continue;
        }
        xcb_get_property_reply_t* property = xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
            nullptr);
        if (property) {
            title.append(static_cast<const char*>(xcb_get_property_value(property)),
                         xcb_get_property_value_length(property));
            free(property);
        }
        free(const_cast<xcb_intern_atom_reply_t*>(atom));
    }
    return title;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: map_watch TITLE\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "map_watch: cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(connection, xcb_change_window_attributes_checked(connection, root,
                                                                       XCB_CW_EVENT_MASK, &mask));
    std::printf("ready\n");
    std::fflush(stdout);
    pollfd wait{xcb_get_file_descriptor(connection), POLLIN, 0};
    const time_t giveUp = std::time(nullptr) + 60;
    while (std::time(nullptr) < giveUp) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            free(event);
            if (mapped && WindowTitle(connection, window).find(argv[1]) != std::string::npos) {
                std::printf("%lld\n",
                            static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
                return 0;
            }
        }
        if (xcb_connection_has_error(connection)) {
            return 1;
        }
        ::poll(&wait, 1, 1000);
    }
    return 1;
}
