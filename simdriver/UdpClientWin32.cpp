#include "UdpClient.h"

#include <winsock2.h>

std::optional<std::string> UdpExchange(unsigned short port, const std::string& text, int waitMs) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return std::nullopt;
    std::optional<std::string> result;
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s != INVALID_SOCKET) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (sendto(s, text.data(), static_cast<int>(text.size()), 0, reinterpret_cast<sockaddr*>(&to),
                   sizeof to) == static_cast<int>(text.size())) {
            if (waitMs <= 0) {
                result = "";
            } else {
                fd_set readable;
                FD_ZERO(&readable);
                FD_SET(s, &readable);
                timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
                if (select(0, &readable, nullptr, nullptr, &limit) == 1) {
                    std::string answer(65536, '\0');
                    const int n = recv(s, answer.data(), static_cast<int>(answer.size()), 0);
                    if (n >= 0)
                        result = answer.substr(0, static_cast<size_t>(n));
                }
            }
        }
        closesocket(s);
    }
    WSACleanup();
    return result;
}
