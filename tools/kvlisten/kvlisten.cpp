// kvlisten: prints every datagram that reaches a UDP port, as a REMOTE line parsed into its fields
// or with the reason it is not one; for people who write or debug receivers of kvRemote's lines.
// Exit codes: 0 when --count datagrams were shown, 1 on --timeout or a
// socket failure, 2 for a wrong command line, 130 on Ctrl+C.
#include "DatagramReport.h"
#include "ListenOptions.h"
#include "UdpListener.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWaitSliceMs = 100; // how soon Ctrl+C and the time-out are noticed

int Listen(const ListenOptions& options) {
    UdpListener listener;
    std::string error;
    if (!listener.Open(options.port, error)) {
        std::fprintf(stderr, "kvlisten: %s\n", error.c_str());
        return 1;
    }
    CatchInterrupt();
    std::fprintf(stderr, "kvlisten: listening on UDP port %u (all interfaces)\n", options.port);
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(options.timeoutSeconds));
    long shown = 0;
    std::string bytes, from;
    while (!Interrupted()) {
        int waitMs = kWaitSliceMs;
        if (options.timeoutSeconds > 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) {
                std::fprintf(stderr, "kvlisten: time-out after %ld datagram(s)\n", shown);
                return 1;
            }
            waitMs = static_cast<int>(std::min<long long>(left, waitMs));
        }
        switch (listener.Receive(waitMs, bytes, from)) {
        case UdpListener::Wait::Nothing:
            continue;
        case UdpListener::Wait::Failed:
            std::fprintf(stderr, "kvlisten: receiving failed\n");
            return 1;
        case UdpListener::Wait::Datagram:
            break;
        }
        if (!PassesFilters(options, bytes))
            continue;
        const std::string line = FormatDatagram(Datagram{LocalTimeText(), from, bytes}, options.json);
        std::fprintf(stdout, "%s\n", line.c_str());
        std::fflush(stdout);
        if (++shown == options.count)
            return 0;
    }
    return 130;
}

} // namespace

int main(int argc, char** argv) {
    const ListenOptions options = ParseListenOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
        std::fputs(ListenUsage().c_str(), stdout);
        return 0;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "kvlisten: %s\n%s", options.error.c_str(), ListenUsage().c_str());
        return 2;
    }
    return Listen(options);
}
