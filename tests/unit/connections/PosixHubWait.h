#pragma once
// Waits on the POSIX hub as a station's event loop does: poll its news descriptor, take the news,
// check. True once done() holds, false when timeoutMs passed.
#include "linux/NetworkShellPosix.h"
#include <chrono>
#include <functional>
#include <poll.h>
#include <vector>

inline bool WaitForHub(NetworkHubPosix& hub, const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        pollfd news{hub.NewsFd(), POLLIN, 0};
        if (::poll(&news, 1, 20) > 0)
            hub.TakeNews();
    }
    return true;
}

// The lock lights the hub hands over within timeoutMs, once there are any.
inline std::vector<LightChange> WaitForHubLights(NetworkHubPosix& hub, int timeoutMs = 5000) {
    std::vector<LightChange> lights;
    WaitForHub(
        hub,
        [&] {
            for (const LightChange& change : hub.TakeLights())
                lights.push_back(change);
            return !lights.empty();
        },
        timeoutMs);
    return lights;
}
