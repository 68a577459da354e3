#pragma once
// Blocking TCP over 127.0.0.1 for test programs, the same calls over POSIX sockets natively and over
// Winsock in the mingw build (so Wine suites can use what native suites use).
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = -1;

// Winsock's start and clean-up for the object's life; nothing natively.
class SocketSession {
public:
    SocketSession();
    ~SocketSession();
    SocketSession(const SocketSession&) = delete;
    SocketSession& operator=(const SocketSession&) = delete;
};

// A listener on 127.0.0.1:port (0: any free port, written back), or kNoSocket.
SocketHandle ListenLoopback(std::uint16_t& port);
SocketHandle AcceptConnection(SocketHandle listener);
// A connection to 127.0.0.1:port, or kNoSocket when it is refused.
SocketHandle ConnectLoopback(std::uint16_t port);
// The sockets among these that have something to read (or a connection to accept, or an end),
// waiting at most timeoutMs.
std::vector<SocketHandle> WaitReadable(const std::vector<SocketHandle>& sockets, int timeoutMs);
// False when not all of it could be sent.
bool SendAll(SocketHandle socket, std::string_view bytes);
// Bytes read (> 0), 0 at the peer's end, < 0 on an error.
long Receive(SocketHandle socket, char* buffer, std::size_t size);
void CloseSocket(SocketHandle socket);
