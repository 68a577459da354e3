// latency_probe: the measurements of scripts/measure-latency.sh on the build machine's side.
//
//   latency_probe lines --sim-port N --remote-port N [--device 2] [--index 5] [--count 1000]
//                       [--warmup 50] [--gap-ms 5] [--echo]
//     Time from a keypress injected into the simulated driver to its REMOTE line. kvRemote must
//     be running on the simulated driver with keyboard DEVICE auxiliary (index INDEX), broadcasting
//     to the loopback on the remote port. Each stroke is a press and its release in one datagram;
//     only the press makes a line. Strokes go one at a time: the next is injected once the line of
//     the previous one has arrived and GAP more milliseconds have passed (a user's strokes come
//     apart; the window may repaint between them). Keys rotate so a late line cannot be taken for
//     the current one.
//     --echo: the receiver is floor_probe, which sends back the press line itself.
//
//   latency_probe paced --sim-port N --line TEXT [--line TEXT]... [--rate 1000] [--count 10000]
//     Injects COUNT datagrams at RATE a second, each one line, the lines taken in turn; then asks
//     the driver for its "timing?" summary and prints it.
//
//   latency_probe ask --sim-port N QUESTION
//     Sends one command and prints the answer (or nothing for a command without one).
//
// Each mode ends with one line "result key=value ..." for the script.
#include "LatencyStats.h"
#include "LoopbackSocket.h"

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Key {
    int scan;
    int code; // the virtual-key code kvRemote sends for it (US layout, no modifier)
};
// Keypad 7, 8, 9, 4, 5, 6 and the letters A, S, D: none of them a modifier or the keypad 0.
constexpr Key kKeys[] = {{0x47, 103}, {0x48, 104}, {0x49, 105}, {0x4B, 100}, {0x4C, 101},
                         {0x4D, 102}, {0x1E, 65},  {0x1F, 83},  {0x20, 68}};

struct Options {
    std::string mode;
    int simPort = 0, remotePort = 0, device = 2, index = 5, count = 1000, warmup = 50, rate = 1000, gapMs = 5;
    bool echo = false;
    std::vector<std::string> lines;
    std::string question;
};

bool Parse(int argc, char** argv, Options& o) {
    if (argc < 2)
        return false;
    o.mode = argv[1];
    if (o.mode == "paced")
        o.count = 10000;
    for (int i = 2; i < argc; ++i) {
        const bool more = i + 1 < argc;
        const char* a = argv[i];
        if (!std::strcmp(a, "--echo")) {
            o.echo = true;
        } else if (!std::strcmp(a, "--line") && more) {
            o.lines.emplace_back(argv[++i]);
        } else if (a[0] == '-' && a[1] == '-' && more) {
            const int value = std::atoi(argv[++i]);
            if (!std::strcmp(a, "--sim-port"))
                o.simPort = value;
            else if (!std::strcmp(a, "--remote-port"))
                o.remotePort = value;
            else if (!std::strcmp(a, "--device"))
                o.device = value;
            else if (!std::strcmp(a, "--index"))
                o.index = value;
            else if (!std::strcmp(a, "--count"))
                o.count = value;
            else if (!std::strcmp(a, "--warmup"))
                o.warmup = value;
            else if (!std::strcmp(a, "--rate"))
                o.rate = value;
            else if (!std::strcmp(a, "--gap-ms"))
                o.gapMs = value;
            else
                return false;
        } else if (o.mode == "ask" && o.question.empty()) {
            o.question = a;
        } else {
            return false;
        }
    }
    if (o.simPort <= 0 || o.count <= 0)
        return false;
    if (o.mode == "lines")
        return o.remotePort > 0;
    if (o.mode == "paced")
        return !o.lines.empty() && o.rate > 0;
    return o.mode == "ask" && !o.question.empty();
}

int Lines(const Options& o) {
    LoopbackSocket remote(static_cast<uint16_t>(o.remotePort));
    LoopbackSocket inject;
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(o.count));
    int lost = 0, stray = 0;
    using Clock = std::chrono::steady_clock;

    for (int n = 0; n < o.warmup + o.count; ++n) {
        const Key& key = kKeys[n % std::size(kKeys)];
        char press[48];
        std::snprintf(press, sizeof press, "key %d 0x%02X 0", o.device, key.scan);
        char strokes[96];
        // floor_probe sends back every line: give it the press alone.
        std::snprintf(strokes, sizeof strokes, o.echo ? "%s\n" : "%s\nkey %d 0x%02X 1\n", press, o.device,
                      key.scan);
        char expected[96];
        if (o.echo)
            std::snprintf(expected, sizeof expected, "%s", press);
        else
            std::snprintf(expected, sizeof expected, "\"AUXKEYB/%d/0/%d\"", key.code, o.index);

        std::this_thread::sleep_for(std::chrono::milliseconds(o.gapMs));
        remote.Drain();
        const auto sent = Clock::now();
        if (!inject.SendToHost(static_cast<uint16_t>(o.simPort), strokes)) {
            std::fprintf(stderr, "latency_probe: cannot send to 127.0.0.1:%d\n", o.simPort);
            return 1;
        }
        bool arrived = false;
        while (!arrived) {
            const auto line = remote.Receive(std::chrono::milliseconds(2000));
            if (!line)
                break;
            if (line->find(expected) == std::string::npos) {
                ++stray;
                continue;
            }
            arrived = true;
            if (n >= o.warmup)
                samples.push_back(std::chrono::duration<double, std::micro>(Clock::now() - sent).count());
        }
        if (!arrived && ++lost > 10) {
            std::fprintf(stderr, "latency_probe: no line back for %d strokes; is the receiver running?\n",
                         lost);
            return 1;
        }
    }

    const LatencySummary s = Summarise(samples);
    std::printf("strokes measured: %zu (after %d warm-up strokes; %d lost, %d stray lines)\n", s.count,
                o.warmup, lost, stray);
    std::printf("injection to line, microseconds: median %.0f, 99th percentile %.0f (min %.0f, mean %.0f, "
                "max %.0f)\n",
                s.median, s.p99, s.min, s.mean, s.max);
    std::printf("result count=%zu lost=%d median_us=%.1f p99_us=%.1f\n", s.count, lost, s.median, s.p99);
    return s.count == static_cast<size_t>(o.count) ? 0 : 1;
}

// One command to the driver; its answer, or nothing after a second.
std::optional<std::string> Ask(LoopbackSocket& socket, int port, const std::string& question) {
    socket.Drain();
    if (!socket.SendToHost(static_cast<uint16_t>(port), question + "\n"))
        return std::nullopt;
    return socket.Receive(std::chrono::milliseconds(3000));
}

int Paced(const Options& o) {
    LoopbackSocket inject;
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    const long periodNs = 1000000000L / o.rate;
    int failed = 0;
    for (int n = 0; n < o.count; ++n) {
        next.tv_nsec += periodNs;
        while (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        if (!inject.SendToHost(static_cast<uint16_t>(o.simPort), o.lines[n % o.lines.size()] + "\n"))
            ++failed;
    }
    // Everything injected has been handled once the driver answers; give the program a moment to
    // re-inject the last strokes.
    if (!Ask(inject, o.simPort, "ping?")) {
        std::fprintf(stderr, "latency_probe: the driver does not answer on %d\n", o.simPort);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto summary = Ask(inject, o.simPort, "timing?");
    if (!summary) {
        std::fprintf(stderr, "latency_probe: no timing summary from %d\n", o.simPort);
        return 1;
    }
    std::printf("injected %d datagrams at %d a second (%d could not be sent)\n", o.count, o.rate, failed);
    std::printf("result injected=%d %s", o.count, summary->c_str());
    return failed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr,
                     "usage: latency_probe lines --sim-port N --remote-port N [--device 2] [--index 5] "
                     "[--count 1000] [--warmup 50] [--gap-ms 5] [--echo]\n"
                     "       latency_probe paced --sim-port N --line TEXT... [--rate 1000] [--count N]\n"
                     "       latency_probe ask --sim-port N QUESTION\n");
        return 2;
    }
    if (o.mode == "lines")
        return Lines(o);
    if (o.mode == "paced")
        return Paced(o);
    LoopbackSocket socket;
    // A command without an answer is followed by a ping, so its end is known.
    const bool asks = o.question.back() == '?';
    const auto answer = Ask(socket, o.simPort, asks ? o.question : o.question + "\nping?");
    if (!answer) {
        std::fprintf(stderr, "latency_probe: no answer from %d\n", o.simPort);
        return 1;
    }
    if (asks)
        std::printf("%s", answer->c_str());
    return 0;
}
