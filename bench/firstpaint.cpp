// Times how long programs take from their start to the first paint of their window, on an X display:
//
//   namorel_firstpaint <rounds> <program A> <program B>
//
// The clock is an X client of its own. It watches the root window for new top-level windows, asks the
// DAMAGE extension to report drawing on each, starts the program and stops the clock at the first drawing
// on a mapped window; the program is then killed. The two programs run in turn, A first in odd rounds and
// B first in even ones, after one unmeasured start of each. Prints each time, the medians, the median of
// the ratios of the rounds' pairs, the processor time each program had used when it was stopped (a measure
// that other work on the machine disturbs less), and last ratio=<median A / median B>. Run it on a display
// of its own (xvfb-run), with no window manager.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double nowMs()
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

struct Timing
{
    double Elapsed = -1; // milliseconds from the start to the first paint, -1 when the program showed nothing
    double Processor = 0; // milliseconds of processor time the program had used when it was stopped
};

// Starts the program and times it until its first paint.
Timing timeFirstPaint(xcb_connection_t *connection, xcb_window_t root, uint8_t damageEvent, const char *program)
{
    constexpr int kMaxWindows = 64;
    xcb_window_t windows[kMaxWindows] = {};
    bool mapped[kMaxWindows] = {};
    int count = 0;
    double elapsed = -1;

    const double start = nowMs();
    const pid_t child = fork();
    if (child < 0)
        return {};
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
        } else if (type == damageEvent + XCB_DAMAGE_NOTIFY) {
            const auto *damage = reinterpret_cast<const xcb_damage_notify_event_t *>(event);
            for (int i = 0; i < count; ++i) {
                if (windows[i] == damage->drawable && mapped[i])
                    elapsed = nowMs() - start;
            }
        }
        std::free(event);
    }

    kill(child, SIGKILL);
    rusage usage = {};
    wait4(child, nullptr, 0, &usage);
    const auto ms = [](const timeval &t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    /* Forget what the program left behind: its windows are gone with it. */
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    xcb_generic_event_t *left;
    while ((left = xcb_poll_for_event(connection)))
        std::free(left);
    return { elapsed, ms(usage.ru_utime) + ms(usage.ru_stime) };
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
    for (const char *program : programs) {
        if (timeFirstPaint(connection, root, extension->first_event, program).Elapsed < 0) {
            std::fprintf(stderr, "namorel_firstpaint: %s showed no window\n", program);
            return 1;
        }
    }
    std::vector<Timing> timings[2] = { std::vector<Timing>(size_t(rounds)), std::vector<Timing>(size_t(rounds)) };
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const int p = round % 2 ? 1 - turn : turn;
            timings[p][size_t(round)] = timeFirstPaint(connection, root, extension->first_event, programs[p]);
        }
    }
    std::vector<double> elapsed[2];
    std::vector<double> processor[2];
    for (int p = 0; p < 2; ++p) {
        std::printf("%s (ms):", programs[p]);
        for (const Timing &timing : timings[p]) {
            std::printf(" %.1f", timing.Elapsed);
            elapsed[p].push_back(timing.Elapsed);
            processor[p].push_back(timing.Processor);
        }
        std::printf("  median %.1f; processor time median %.1f\n", median(elapsed[p]), median(processor[p]));
    }
    std::vector<double> pairs;
    for (size_t round = 0; round < size_t(rounds); ++round)
        pairs.push_back(elapsed[0][round] / elapsed[1][round]);
    std::printf("paired_ratio_median=%.2f\n", median(pairs));
    std::printf("processor_ratio=%.2f\n", median(processor[0]) / median(processor[1]));
    std::printf("ratio=%.2f\n", median(elapsed[0]) / median(elapsed[1]));
    xcb_disconnect(connection);
    return 0;
}
