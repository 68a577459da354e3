#include "UdpReceiver.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <stdexcept>

namespace kve2e {

namespace {

// Winsock counts start-ups itself; each user takes and gives back one.
struct WinsockUse {
    WinsockUse() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~WinsockUse() { WSACleanup(); }
};

} // namespace

UdpReceiver::UdpReceiver(uint16_t port) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(port);
    int len = sizeof addr;
    if (s == INVALID_SOCKET || ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        const int error = WSAGetLastError();
        if (s != INVALID_SOCKET) {
            closesocket(s);
        }
        WSACleanup();
        throw std::runtime_error("cannot bind a UDP receiver to 0.0.0.0:" + std::to_string(port) +
                                 " (error " + std::to_string(error) + ")");
    }
    socket_ = s;
    port_ = ntohs(addr.sin_port);
}

UdpReceiver::~UdpReceiver() {
    closesocket(static_cast<SOCKET>(socket_));
    WSACleanup();
}

std::optional<std::string> UdpReceiver::Receive(Millis timeout) {
    const SOCKET s = static_cast<SOCKET>(socket_);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval tv{};
    tv.tv_sec = static_cast<long>(timeout.count() / 1000);
    tv.tv_usec = static_cast<long>((timeout.count() % 1000) * 1000);
    if (::select(0, &readable, nullptr, nullptr, &tv) != 1) {
        return std::nullopt;
    }
    char buffer[65536];
    const int n = ::recv(s, buffer, sizeof buffer, 0);
    if (n < 0) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<size_t>(n));
}

int UdpReceiver::Drain() {
    int count = 0;
    while (Receive(Millis(0))) {
        ++count;
    }
    return count;
}

testing::AssertionResult SendLoopback(uint16_t port, std::string_view bytes, LoopbackTarget target) {
    WinsockUse winsock;
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        return testing::AssertionFailure() << "cannot open a UDP socket (error " << WSAGetLastError() << ")";
    }
    const BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(target == LoopbackTarget::Host ? INADDR_LOOPBACK : 0x7FFFFFFFu);
    const int sent = ::sendto(s, bytes.data(), static_cast<int>(bytes.size()), 0,
                              reinterpret_cast<sockaddr*>(&to), sizeof to);
    const int error = WSAGetLastError();
    closesocket(s);
    if (sent != static_cast<int>(bytes.size())) {
        return testing::AssertionFailure() << "cannot send " << bytes.size() << " bytes to loopback port "
                                           << port << " (error " << error << ")";
    }
    return testing::AssertionSuccess();
}

} // namespace kve2e
