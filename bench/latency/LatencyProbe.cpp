// latency_probe: time from a keypress injected into the simulated driver to its REMOTE line.
//
//   latency_probe --sim-port N --remote-port N [--device 2] [--index 5] [--count 1000] [--warmup 50]
//
// kvRemote must be running on the simulated driver with the keyboard DEVICE auxiliary (device index
// INDEX), broadcasting to the loopback on the remote port. Each stroke is a press and its release in
// one datagram; only the press makes a line. Strokes go one at a time: the next is injected once the
// line of the previous one has arrived, so every figure is one stroke's whole way through
// driver, capture thread, user-interface thread and KvCom. Keys rotate so a late line of an earlier
// stroke cannot be taken for the current one.
#include "LatencyStats.h"
#include "LoopbackSocket.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
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
    int simPort = 0, remotePort = 0, device = 2, index = 5, count = 1000, warmup = 50;
};

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--sim-port"))
            o.simPort = value;
        else if (!std::strcmp(argv[i], "--remote-port"))
            o.remotePort = value;
        else if (!std::strcmp(argv[i], "--device"))
            o.device = value;
        else if (!std::strcmp(argv[i], "--index"))
            o.index = value;
        else if (!std::strcmp(argv[i], "--count"))
            o.count = value;
        else if (!std::strcmp(argv[i], "--warmup"))
            o.warmup = value;
        else
            return false;
    }
    return argc % 2 == 1 && o.simPort > 0 && o.remotePort > 0 && o.count > 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: latency_probe --sim-port N --remote-port N [--device 2] [--index 5] "
                             "[--count 1000] [--warmup 50]\n");
        return 2;
    }
    LoopbackSocket remote(static_cast<uint16_t>(o.remotePort));
    LoopbackSocket inject;
    std::vector<double> samples;
    samples.reserve(static_cast<size_t>(o.count));
    int lost = 0, stray = 0;
    using Clock = std::chrono::steady_clock;

    for (int n = 0; n < o.warmup + o.count; ++n) {
        const Key& key = kKeys[n % std::size(kKeys)];
        char strokes[96];
        std::snprintf(strokes, sizeof strokes, "key %d 0x%02X 0\nkey %d 0x%02X 1\n", o.device, key.scan,
                      o.device, key.scan);
        char expected[96];
        std::snprintf(expected, sizeof expected, "\"AUXKEYB/%d/0/%d\"", key.code, o.index);

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
        if (!arrived) {
            ++lost;
            if (lost > 10) {
                std::fprintf(stderr, "latency_probe: no REMOTE line for %d strokes; is kvRemote capturing?\n",
                             lost);
                return 1;
            }
        }
    }

    const LatencySummary s = Summarise(samples);
    std::printf("strokes measured: %zu (after %d warm-up strokes; %d lost, %d stray lines)\n", s.count,
                o.warmup, lost, stray);
    std::printf("injection to REMOTE line, microseconds:\n");
    std::printf("  median %.0f\n  99th percentile %.0f\n", s.median, s.p99);
    std::printf("  min %.0f  mean %.0f  max %.0f\n", s.min, s.mean, s.max);
    return s.count == static_cast<size_t>(o.count) ? 0 : 1;
}
