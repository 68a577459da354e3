#include "UdpClient.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

std::optional<std::string> UdpExchange(unsigned short port, const std::string& text, int waitMs) {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0)
        return std::nullopt;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::optional<std::string> result;
    if (sendto(s, text.data(), text.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) ==
        static_cast<ssize_t>(text.size())) {
        if (waitMs <= 0) {
            result = "";
        } else {
            pollfd p{s, POLLIN, 0};
            if (poll(&p, 1, waitMs) == 1) {
                std::string answer(65536, '\0');
                const ssize_t n = recv(s, answer.data(), answer.size(), 0);
                if (n >= 0)
                    result = answer.substr(0, static_cast<size_t>(n));
            }
        }
    }
    close(s);
    return result;
}
