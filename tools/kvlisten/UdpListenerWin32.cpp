#include "UdpListener.h"

#include "DatagramReport.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

std::atomic<bool> interrupted{false};

BOOL WINAPI OnConsoleEvent(DWORD) {
    interrupted.store(true);
    return TRUE; // handled: the main loop notices within its wait slice and ends cleanly
}

std::string SocketError(const char* call) {
    return std::string(call) + ": error " + std::to_string(WSAGetLastError());
}

} // namespace

struct UdpListener::State {
    bool started = false;
    SOCKET socket = INVALID_SOCKET;
};

UdpListener::UdpListener() : state_(std::make_unique<State>()) {}

UdpListener::~UdpListener() {
    if (state_->socket != INVALID_SOCKET)
        closesocket(state_->socket);
    if (state_->started)
        WSACleanup();
}

bool UdpListener::Open(unsigned short port, std::string& error) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        error = "WSAStartup failed";
        return false;
    }
    state_->started = true;
    state_->socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (state_->socket == INVALID_SOCKET) {
        error = SocketError("socket");
        return false;
    }
    const BOOL on = TRUE;
    setsockopt(state_->socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(state_->socket, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
        error =
            "cannot bind UDP port " + std::to_string(port) + ": error " + std::to_string(WSAGetLastError());
        return false;
    }
    return true;
}

UdpListener::Wait UdpListener::Receive(int waitMs, std::string& bytes, std::string& from) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(state_->socket, &readable);
    timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
    const int ready = select(0, &readable, nullptr, nullptr, &limit);
    if (ready == 0)
        return Wait::Nothing;
    if (ready < 0)
        return Wait::Failed;
    bytes.resize(65536);
    sockaddr_in sender{};
    int senderSize = sizeof sender;
    const int n = recvfrom(state_->socket, bytes.data(), static_cast<int>(bytes.size()), 0,
                           reinterpret_cast<sockaddr*>(&sender), &senderSize);
    if (n < 0) {
        // An ICMP "port unreachable" for an earlier send is reported on the next receive; we send
        // nothing, but a reset is not a reason to stop listening.
        return WSAGetLastError() == WSAECONNRESET ? Wait::Nothing : Wait::Failed;
    }
    bytes.resize(static_cast<size_t>(n));
    unsigned char address[4];
    std::memcpy(address, &sender.sin_addr, sizeof address);
    from = SenderText(address, ntohs(sender.sin_port));
    return Wait::Datagram;
}

void CatchInterrupt() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool Interrupted() {
    return interrupted.load();
}

std::string LocalTimeText() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[96]; // room for any field values the compiler can imagine
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, t.wMilliseconds);
    return text;
}
