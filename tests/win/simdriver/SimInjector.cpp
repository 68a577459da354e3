#include "SimInjector.h"

#include <winsock2.h>

#include <gtest/gtest.h>

namespace {

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

} // namespace

SimInjector::SimInjector() {
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    EXPECT_NE(s, INVALID_SOCKET);
    socket_ = s;
    sockaddr_in local = Loopback(0);
    EXPECT_EQ(bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    // The driver's port: another free one, found by binding and letting go.
    const SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in free = Loopback(0);
    bind(probe, reinterpret_cast<sockaddr*>(&free), sizeof free);
    int length = sizeof free;
    getsockname(probe, reinterpret_cast<sockaddr*>(&free), &length);
    driverPort_ = ntohs(free.sin_port);
    closesocket(probe);
    EXPECT_NE(driverPort_, 0);
}

SimInjector::~SimInjector() {
    if (socket_ != ~0ull)
        closesocket(static_cast<SOCKET>(socket_));
}

void SimInjector::Send(const std::string& lines) const {
    const sockaddr_in to = Loopback(driverPort_);
    sendto(static_cast<SOCKET>(socket_), lines.data(), static_cast<int>(lines.size()), 0,
           reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

std::string SimInjector::Ask(const std::string& line) const {
    Send(line);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(socket_), &readable);
    timeval limit{10, 0};
    if (select(0, &readable, nullptr, nullptr, &limit) != 1) {
        ADD_FAILURE() << "no answer to " << line;
        return {};
    }
    std::string answer(65536, '\0');
    const int n = recv(static_cast<SOCKET>(socket_), answer.data(), static_cast<int>(answer.size()), 0);
    answer.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return answer;
}
