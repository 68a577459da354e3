#include "LoopbackDriver.h"
#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackDriver::LoopbackDriver(ConnectionClient& client, std::uint16_t port, MonoMs retryMs)
    : client_(client), port_(port), retryMs_(retryMs) {}

MonoMs LoopbackDriver::Now() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
        .count();
}

bool LoopbackDriver::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        Step();
    }
    return true;
}

void LoopbackDriver::Step() {
    const MonoMs now = Now();
    if (fd_ < 0) {
        if (now < nextAttempt_) {
            usleep(10'000);
            return;
        }
        attempts_.push_back(now);
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); // no child process keeps it open
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port_);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd_);
            fd_ = -1;
            nextAttempt_ = std::max(now + retryMs_, client_.RetryNotBefore());
            return;
        }
        client_.OnConnected(now);
        Flush();
        return;
    }
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, 10) > 0) {
        char chunk[4096];
        const ssize_t got = recv(fd_, chunk, sizeof chunk, 0);
        if (got <= 0)
            return CloseSocket();
        client_.OnReceived({chunk, static_cast<std::size_t>(got)}, Now());
    }
    client_.OnTick(Now());
    Flush();
    if (client_.WantsClose())
        CloseSocket();
}

void LoopbackDriver::Flush() {
    const std::string bytes = client_.TakeOutput();
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return CloseSocket();
        sent += static_cast<std::size_t>(n);
    }
}

void LoopbackDriver::CloseSocket() {
    if (fd_ < 0)
        return;
    close(fd_);
    fd_ = -1;
    const MonoMs now = Now();
    client_.OnClosed(now);
    nextAttempt_ = std::max(now + retryMs_, client_.RetryNotBefore());
}

void LoopbackDriver::Event(const DestinationEvent& event) {
    client_.OnEvent(event, Now());
    Flush();
}

void LoopbackDriver::Exposure(const std::vector<ExposedDevice>& devices) {
    client_.OnExposure(devices, Now());
    Flush();
}

void LoopbackDriver::Goodbye() {
    client_.OnGoodbye(Now());
    Flush();
    if (fd_ >= 0) {
        // Until the broker closes too, so that nothing unread turns the close into a reset.
        shutdown(fd_, SHUT_WR);
        char chunk[256];
        pollfd p{fd_, POLLIN, 0};
        while (poll(&p, 1, 1000) > 0 && recv(fd_, chunk, sizeof chunk, 0) > 0) {
        }
    }
    CloseSocket();
}
