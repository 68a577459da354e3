#include "LoopbackSocket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
using NativeSocket = SOCKET;
using SockLen = int;
#define KV_SEND_FLAGS 0
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>
using NativeSocket = int;
using SockLen = socklen_t;
#define KV_SEND_FLAGS MSG_NOSIGNAL
#endif

namespace {

NativeSocket Native(SocketHandle socket) {
    return static_cast<NativeSocket>(socket);
}

SocketHandle Handle(NativeSocket socket) {
#ifdef _WIN32
    return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket);
#else
    return socket < 0 ? kNoSocket : static_cast<SocketHandle>(socket);
#endif
}

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

} // namespace

SocketSession::SocketSession() {
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
}

SocketSession::~SocketSession() {
#ifdef _WIN32
    WSACleanup();
#endif
}

SocketHandle ListenLoopback(std::uint16_t& port) {
    const SocketHandle listener = Handle(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (listener == kNoSocket)
        return kNoSocket;
    // A stand-in restarted on its port must get it back while old connections linger.
    const int on = 1;
    setsockopt(Native(listener), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof(on));
    sockaddr_in address = Loopback(port);
    if (bind(Native(listener), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(Native(listener), 16) != 0) {
        CloseSocket(listener);
        return kNoSocket;
    }
    SockLen size = sizeof(address);
    getsockname(Native(listener), reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    return listener;
}

SocketHandle AcceptConnection(SocketHandle listener) {
    return Handle(accept(Native(listener), nullptr, nullptr));
}

SocketHandle ConnectLoopback(std::uint16_t port) {
    const SocketHandle socket = Handle(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (socket == kNoSocket)
        return kNoSocket;
    const sockaddr_in address = Loopback(port);
    if (connect(Native(socket), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        CloseSocket(socket);
        return kNoSocket;
    }
    return socket;
}

std::vector<SocketHandle> WaitReadable(const std::vector<SocketHandle>& sockets, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    NativeSocket highest = 0;
    for (SocketHandle socket : sockets) {
        FD_SET(Native(socket), &readable);
        if (Native(socket) > highest)
            highest = Native(socket);
    }
    timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    std::vector<SocketHandle> ready;
    if (select(static_cast<int>(highest) + 1, &readable, nullptr, nullptr, &timeout) <= 0)
        return ready;
    for (SocketHandle socket : sockets)
        if (FD_ISSET(Native(socket), &readable))
            ready.push_back(socket);
    return ready;
}

bool SendAll(SocketHandle socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const int chunk = bytes.size() > 65536 ? 65536 : static_cast<int>(bytes.size());
        const auto sent = send(Native(socket), bytes.data(), chunk, KV_SEND_FLAGS);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

long Receive(SocketHandle socket, char* buffer, std::size_t size) {
    const int chunk = size > 65536 ? 65536 : static_cast<int>(size);
    return static_cast<long>(recv(Native(socket), buffer, chunk, 0));
}

void CloseSocket(SocketHandle socket) {
    if (socket == kNoSocket)
        return;
#ifdef _WIN32
    closesocket(Native(socket));
#else
    close(Native(socket));
#endif
}
