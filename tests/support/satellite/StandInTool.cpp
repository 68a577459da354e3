// satellite_standin PORT [SECONDS]: the Satellite server stand-in as a program of its own, a loopback
// peer for measurements. Serves 127.0.0.1:PORT for SECONDS (default 600) and prints a line whenever
// the count of surfaces or of button actions changes: "surfaces N actions M".
#include "SatelliteStandIn.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: satellite_standin PORT [SECONDS]\n");
        return 2;
    }
    const long port = std::strtol(argv[1], nullptr, 10);
    const long seconds = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 600;
    if (port < 1 || port > 65535 || seconds < 1) {
        std::fprintf(stderr, "satellite_standin: bad port or time\n");
        return 2;
    }
    SocketSession sockets;
    SatelliteStandIn standIn;
    if (!standIn.Start(static_cast<std::uint16_t>(port))) {
        std::fprintf(stderr, "satellite_standin: port %ld is taken\n", port);
        return 1;
    }
    std::printf("listening %ld\n", port);
    std::fflush(stdout);
    std::size_t surfaces = 0, actions = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::size_t nowSurfaces = standIn.Devices().size(), nowActions = standIn.Actions().size();
        if (nowSurfaces != surfaces || nowActions != actions) {
            surfaces = nowSurfaces;
            actions = nowActions;
            std::printf("surfaces %zu actions %zu\n", surfaces, actions);
            std::fflush(stdout);
        }
    }
    return 0;
}
