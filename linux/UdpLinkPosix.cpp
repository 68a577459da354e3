#include "linux/UdpLinkPosix.h"
#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

static_assert(sizeof(sockaddr_in) <= 16);

bool UdpLinkPosix::Init(std::uintptr_t, unsigned, const std::string& address, int port) {
    Close();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(port));
    if (address.size() > 15 || port < 1 || port > 65535 ||
        inet_pton(AF_INET, address.c_str(), &to.sin_addr) != 1)
        return false;
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (s < 0 || setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        if (s >= 0)
            close(s);
        return false;
    }
    std::memcpy(destination_, &to, sizeof to);
    socket_ = s;
    return true;
}

void UdpLinkPosix::Send(const std::string& line) {
    if (socket_ < 0)
        return;
    sockaddr_in to;
    std::memcpy(&to, destination_, sizeof to);
    // As KvCom: a failed send is not reported.
    (void)sendto(socket_, line.data(), line.size(), MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
}

void UdpLinkPosix::Close() {
    if (socket_ >= 0)
        close(socket_);
    socket_ = -1;
}
