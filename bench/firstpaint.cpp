// Times how long programs take from their start to the first paint of their window, on an X display:
//
//   namorel_firstpaint <rounds> <program A> <program B>
//
// The clock is an X client of its own. It watches the root window for new top-level windows, asks the
// DAMAGE extension to report drawing on each, starts the program and stops the clock at the first drawing
// on a mapped window; the program is then killed. The two programs run in turn, A first in odd rounds and
// B first in even ones, after one unmeasured start of each. Prints each time, the medians, and last
// ratio=<median A / median B>. Run it on a display of its own (xvfb-run), with no window manager.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

double now_ms()
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Starts the program and returns the milliseconds until its first paint, or -1.
double time_first_paint(xcb_connection_t *connection, xcb_window_t root, uint8_t damage_event, const char *program)
{
    constexpr int kMaxWindows = 64;
    xcb_window_t windows[kMaxWindows] = {};
    bool mapped[kMaxWindows] = {};
    int count = 0;
    double elapsed = -1;

    const double start = now_ms();
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        execl(program, program, static_cast<char *>(nullptr));
        _exit(127);
    }

    while (elapsed < 0) {
        xcb_generic_event_t *event = xcb_wait_for_event(connection);
        if (!event)
            break;
        const uint8_t type = event->response_type & 0x7F;
        if (type == XCB_CREATE_NOTIFY) {
            const auto *created = reinterpret_cast<const xcb_create_notify_event_t *>(event);
            if (created->parent == root && count < kMaxWindows) {
                windows[count] = created->window;
                mapped[count] = false;
                ++count;
                xcb_damage_create(
                    connection, xcb_generate_id(connection), created->window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(connection);
            }
        } else if (type == XCB_MAP_NOTIFY) {
            const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
            for (int i = 0; i < count; ++i)
                mapped[i] = mapped[i] || windows[i] == map->window;
        } else if (type == damage_event + XCB_DAMAGE_NOTIFY) {
            const auto *damage = reinterpret_cast<const xcb_damage_notify_event_t *>(event);
            for (int i = 0; i < count; ++i) {
                if (windows[i] == damage->drawable && mapped[i])
                    elapsed = now_ms() - start;
            }
        }
        std::free(event);
    }

    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    /* Forget what the program left behind: its windows are gone with it. */
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    xcb_generic_event_t *left;
    while ((left = xcb_poll_for_event(connection)))
        std::free(left);
    return elapsed;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4 || std::atoi(argv[1]) < 1) {
        std::fputs("usage: namorel_firstpaint <rounds> <program A> <program B>\n", stderr);
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("namorel_firstpaint: no X display\n", stderr);
        return 1;
    }
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_damage_id);
    if (!extension || !extension->present) {
        std::fputs("namorel_firstpaint: the X server has no DAMAGE extension\n", stderr);
        return 1;
    }
    std::free(xcb_damage_query_version_reply(connection, xcb_damage_query_version(connection, 1, 1), nullptr));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const char *programs[2] = { argv[2], argv[3] };
    std::vector<double> times[2] = { std::vector<double>(size_t(rounds)), std::vector<double>(size_t(rounds)) };
    for (int p = 0; p < 2; ++p) {
        if (time_first_paint(connection, root, extension->first_event, programs[p]) < 0) {
            std::fprintf(stderr, "namorel_firstpaint: %s showed no window\n", programs[p]);
            return 1;
        }
    }
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int p = round % 2 ? 1 - turn : turn;
            times[p][size_t(round)] = time_first_paint(connection, root, extension->first_event, programs[p]);
        }
    }
    for (int p = 0; p < 2; ++p) {
        std::printf("%s (ms):", programs[p]);
        for (int round = 0; round < rounds; ++round)
            std::printf(" %.1f", times[p][size_t(round)]);
        std::printf("  median %.1f\n", median(times[p]));
    }
    std::printf("ratio=%.2f\n", median(times[0]) / median(times[1]));
    xcb_disconnect(connection);
    return 0;
}
