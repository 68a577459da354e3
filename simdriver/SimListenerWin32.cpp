#include "SimListener.h"

#include <winsock2.h>
#include <ws2tcpip.h>

bool SimListener::Start(unsigned short port, Handler handler) {
    Stop();
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return false;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        if (s != INVALID_SOCKET)
            closesocket(s);
        WSACleanup();
        return false;
    }
    // Floods of injected strokes must not be dropped by a small default buffer.
    int buffer = 1 << 20;
    setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&buffer), sizeof buffer);
    readable_ = WSACreateEvent();
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WSAEventSelect(s, readable_, FD_READ);
    socket_ = s;
    handler_ = std::move(handler);
    thread_ = std::thread([this] { Run(); });
    return true;
}

void SimListener::Stop() {
    if (socket_ == INVALID_SOCKET)
        return;
    SetEvent(stop_);
    thread_.join();
    closesocket(socket_);
    WSACloseEvent(readable_);
    CloseHandle(stop_);
    socket_ = INVALID_SOCKET;
    readable_ = stop_ = nullptr;
    WSACleanup();
}

void SimListener::Run() {
    HANDLE events[2] = {stop_, readable_};
    std::string datagram(65536, '\0');
    for (;;) {
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return; // stop requested (or the wait itself failed)
        WSAResetEvent(readable_);
        for (;;) {
            sockaddr_in from{};
            int fromLength = sizeof from;
            const int n = recvfrom(socket_, datagram.data(), static_cast<int>(datagram.size()), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (n < 0 && WSAGetLastError() == WSAECONNRESET)
                continue; // an earlier answer found its asker gone; not our problem
            if (n < 0)
                break; // drained (WSAEWOULDBLOCK), or an error: wait for the next datagram
            std::string_view rest(datagram.data(), static_cast<size_t>(n));
            while (!rest.empty()) {
                const auto end = rest.find('\n');
                const std::optional<std::string> answer = handler_(rest.substr(0, end));
                rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
                if (answer)
                    sendto(socket_, answer->data(), static_cast<int>(answer->size()), 0,
                           reinterpret_cast<const sockaddr*>(&from), fromLength);
            }
        }
    }
}
