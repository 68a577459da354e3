// A UDP socket for the probe: bound to 0.0.0.0 (so it hears the loopback broadcast) and able to
// send to 127.0.0.1 only.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class LoopbackSocket {
public:
    // port 0 binds a free port. Throws std::runtime_error when the socket cannot be made or bound.
    explicit LoopbackSocket(uint16_t port = 0);
    ~LoopbackSocket();
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    bool SendToHost(uint16_t port, std::string_view bytes); // to 127.0.0.1
    std::optional<std::string> Receive(std::chrono::milliseconds timeout);
    void Drain();

private:
    int fd_ = -1;
};
