// Loopback UDP for tests: a receiver bound to 0.0.0.0 (it sees datagrams sent to 127.0.0.1 and
// to the loopback broadcast 127.255.255.255) and a sender that can reach only those two.
#pragma once

#include "Wait.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kve2e {

class UdpReceiver {
public:
    // port 0 picks a free port; Port() tells which. Throws std::runtime_error when it cannot bind.
    explicit UdpReceiver(uint16_t port = 0);
    ~UdpReceiver();
    UdpReceiver(const UdpReceiver&) = delete;
    UdpReceiver& operator=(const UdpReceiver&) = delete;

    uint16_t Port() const { return port_; }
    // The next datagram's bytes, or nullopt when none arrives within timeout.
    std::optional<std::string> Receive(Millis timeout = kWait);
    // Discards whatever has arrived so far; returns how many datagrams that was.
    int Drain();

private:
    uintptr_t socket_; // SOCKET, kept out of the header so tests need not include winsock2.h
    uint16_t port_ = 0;
};

enum class LoopbackTarget { Host, Broadcast }; // 127.0.0.1 or 127.255.255.255

// Sends one datagram to a loopback address; never anywhere else.
testing::AssertionResult SendLoopback(uint16_t port, std::string_view bytes,
                                      LoopbackTarget target = LoopbackTarget::Host);

} // namespace kve2e
