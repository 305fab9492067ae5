// Launch-to-shown time and peak memory of X11 programs, watched from outside
// them so that they run unchanged: the harness asks the X server to report
// each top-level window's creation, its mapping, and the first drawing into
// it (DAMAGE extension), and times them from just before the program is
// spawned.
//
//   corvane_startup RUNS PROGRAM...
//
// Needs DISPLAY, best a private Xvfb without a window manager. The programs
// take turns in every round, in an order that flips each round, after one
// round that is not counted (cold caches).

#include "process_memory.h"

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void die(const std::string& why)
{
    std::fprintf(stderr, "corvane_startup: %s\n", why.c_str());
    std::exit(1);
}

struct Sample {
    double mappedMs = -1, drawnMs = -1;
    long peakKiB = -1;
};

class Server {
public:
    Server()
    {
        int screen = 0;
        connection_ = xcb_connect(nullptr, &screen);
        if (xcb_connection_has_error(connection_))
            die("no X display (DISPLAY=" + std::string(std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "") + ")");
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (; screen > 0; --screen)
            xcb_screen_next(&it);
        root_ = it.data->root;
        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
        if (damage == nullptr || !damage->present)
            die("the X server has no DAMAGE extension");
        damageNotify_ = damage->first_event + XCB_DAMAGE_NOTIFY;
        free(xcb_damage_query_version_reply(connection_, xcb_damage_query_version(connection_, 1, 1), nullptr));
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection_);
    }
    ~Server() { xcb_disconnect(connection_); }

    // Spawns the program and follows its first top-level window until it is
    // drawn into, then lets it settle and reads its peak resident size.
    Sample launch(const char* program)
    {
        Sample sample;
        drain();
        char* argv[] = {const_cast<char*>(program), nullptr};
        pid_t pid = 0;
        const Clock::time_point start = Clock::now();
        if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0)
            die(std::string("cannot start ") + program);
        const auto since = [&] { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); };
        const Clock::time_point deadline = start + std::chrono::seconds(20);
        xcb_window_t shown = XCB_NONE;
        while (sample.drawnMs < 0) {
            xcb_generic_event_t* event = next(deadline);
            if (event == nullptr)
                die(std::string(program) + ": no window drawn within 20 s");
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                // Watched from its creation, so that no drawing can come first.
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
                xcb_damage_create(connection_, xcb_generate_id(connection_), created->window,
                                  XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(connection_);
            } else if (type == XCB_MAP_NOTIFY && shown == XCB_NONE) {
                const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (!mapped->override_redirect) {
                    shown = mapped->window;
                    sample.mappedMs = since();
                }
            } else if (type == damageNotify_ && shown != XCB_NONE) {
                if (reinterpret_cast<xcb_damage_notify_event_t*>(event)->drawable == shown)
                    sample.drawnMs = since();
            }
            free(event);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sample.peakKiB = corvane::test::statusKiB("VmHWM", std::to_string(pid));
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return sample;
    }

private:
    xcb_generic_event_t* next(Clock::time_point deadline)
    {
        for (;;) {
            if (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
                return event;
            if (xcb_connection_has_error(connection_))
                die("lost the X display");
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return nullptr;
            pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(left));
        }
    }
    void drain()
    {
        roundTrip();
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_))
            free(event);
    }
    void roundTrip() { free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr)); }

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    uint8_t damageNotify_ = 0;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5)];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        die("usage: corvane_startup RUNS PROGRAM...");
    const int runs = std::atoi(argv[1]);
    const std::vector<const char*> programs(argv + 2, argv + argc);
    Server server;
    std::vector<std::vector<Sample>> samples(programs.size());
    for (int round = -1; round < runs; ++round)
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const std::size_t p = round % 2 == 0 ? i : programs.size() - 1 - i;
            const Sample s = server.launch(programs[p]);
            if (round >= 0)
                samples[p].push_back(s);
        }

    std::printf("%-40s %8s %8s %8s %8s %8s %8s %10s\n", "program (ms from launch; KiB)", "mapped", "p10", "p90",
                "drawn", "p10", "p90", "VmHWM");
    std::vector<double> mappedMedian, drawnMedian, peakMedian;
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::vector<double> mapped, drawn, peak;
        for (const Sample& s : samples[p]) {
            mapped.push_back(s.mappedMs);
            drawn.push_back(s.drawnMs);
            peak.push_back(static_cast<double>(s.peakKiB));
        }
        std::string name = programs[p];
        name = name.substr(name.find_last_of('/') + 1);
        mappedMedian.push_back(median(mapped));
        drawnMedian.push_back(median(drawn));
        peakMedian.push_back(median(peak));
        std::printf("%-40s %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %10.0f\n", name.c_str(), median(mapped),
                    quantile(mapped, 0.1), quantile(mapped, 0.9), median(drawn), quantile(drawn, 0.1),
                    quantile(drawn, 0.9), median(peak));
    }
    for (std::size_t p = 1; p < programs.size(); ++p)
        std::printf("program %zu against program 1: mapped %.3fx, drawn %.3fx, peak memory %+.0f KiB\n", p + 1,
                    mappedMedian[p] / mappedMedian[0], drawnMedian[p] / drawnMedian[0], peakMedian[p] - peakMedian[0]);
    std::printf("%d runs each, medians\n", runs);
    return 0;
}
