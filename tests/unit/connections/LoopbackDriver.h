#pragma once
// Runs a ConnectionClient over a real loopback TCP socket on the test's own thread, as the network
// thread does: connect, write what the client has, read what comes, ticks, close when it asks, and
// retry after a short wait or the client's RetryNotBefore, whichever is later.
#include "connections/ConnectionClient.h"
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

class LoopbackDriver {
public:
    LoopbackDriver(ConnectionClient& client, std::uint16_t port, MonoMs retryMs = 100);
    ~LoopbackDriver() { CloseSocket(); }

    MonoMs Now() const;
    // Runs until `done` holds or the time is up; whether it holds.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    void RunFor(std::chrono::milliseconds duration) {
        RunUntil([] { return false; }, duration);
    }
    // Hands the client an event or an exposure and writes what it says at once.
    void Event(const DestinationEvent& event);
    void Exposure(const std::vector<ExposedDevice>& devices);
    // The cable pulled: the socket closes with no goodbye.
    void Cut() { CloseSocket(); }
    // A clean stop: the goodbye written, then the socket closed.
    void Goodbye();

    bool Connected() const { return fd_ >= 0; }
    // When each connection attempt was made.
    const std::vector<MonoMs>& Attempts() const { return attempts_; }

private:
    void Step();
    void Flush();
    void CloseSocket();

    ConnectionClient& client_;
    std::uint16_t port_;
    MonoMs retryMs_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    int fd_ = -1;
    MonoMs nextAttempt_ = 0;
    std::vector<MonoMs> attempts_;
};
