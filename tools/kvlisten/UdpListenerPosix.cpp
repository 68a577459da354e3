#include "UdpListener.h"

#include "DatagramReport.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {
volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnInterrupt(int) {
    interrupted = 1;
}
} // namespace

struct UdpListener::State {
    int socket = -1;
};

UdpListener::UdpListener() : state_(std::make_unique<State>()) {}

UdpListener::~UdpListener() {
    if (state_->socket >= 0)
        close(state_->socket);
}

bool UdpListener::Open(unsigned short port, std::string& error) {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    state_->socket = s;
    const int on = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
#ifdef SO_REUSEPORT
    setsockopt(s, SOL_SOCKET, SO_REUSEPORT, &on, sizeof on);
#endif
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    at.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
        error = "cannot bind UDP port " + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

UdpListener::Wait UdpListener::Receive(int waitMs, std::string& bytes, std::string& from) {
    pollfd p{state_->socket, POLLIN, 0};
    const int ready = poll(&p, 1, waitMs);
    if (ready == 0 || (ready < 0 && errno == EINTR))
        return Wait::Nothing;
    if (ready < 0)
        return Wait::Failed;
    bytes.resize(65536);
    sockaddr_in sender{};
    socklen_t senderSize = sizeof sender;
    const ssize_t n = recvfrom(state_->socket, bytes.data(), bytes.size(), 0,
                               reinterpret_cast<sockaddr*>(&sender), &senderSize);
    if (n < 0)
        return errno == EINTR || errno == EAGAIN ? Wait::Nothing : Wait::Failed;
    bytes.resize(static_cast<size_t>(n));
    unsigned char address[4];
    std::memcpy(address, &sender.sin_addr, sizeof address);
    from = SenderText(address, ntohs(sender.sin_port));
    return Wait::Datagram;
}

void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool Interrupted() {
    return interrupted != 0;
}

std::string LocalTimeText() {
    timeval now{};
    gettimeofday(&now, nullptr);
    const time_t seconds = now.tv_sec;
    tm local{};
    localtime_r(&seconds, &local);
    char text[96]; // room for any field values the compiler can imagine
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(now.tv_usec / 1000));
    return text;
}
