// The link: one datagram socket with SO_BROADCAST and its destination.
#include "KvCom.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

namespace {

SOCKET g_socket = INVALID_SOCKET;
sockaddr_in g_destination{};

// Strict dotted-quad IPv4 text (inet_addr also takes shorter and hex forms).
bool ParseAddress(const char* text, in_addr& out) {
    return text && std::strlen(text) <= 15 && inet_pton(AF_INET, text, &out) == 1;
}

} // namespace

extern "C" {

int KVCOM_CALL KVCOM_init(void* /*window*/, unsigned int /*message*/, const char* address, int port) {
    KVCOM_close();
    in_addr ip{};
    if (!ParseAddress(address, ip))
        return KVCOM_E_ADDRESS;
    if (port < 1 || port > 65535)
        return KVCOM_E_PORT;
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return KVCOM_E_SOCKET;
    const BOOL on = TRUE;
    if (setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on) != 0) {
        closesocket(s);
        return KVCOM_E_SOCKET;
    }
    g_destination = {};
    g_destination.sin_family = AF_INET;
    g_destination.sin_port = htons(static_cast<u_short>(port));
    g_destination.sin_addr = ip;
    g_socket = s;
    return KVCOM_OK;
}

int KVCOM_CALL KVCOM_send(const char* line) {
    if (g_socket == INVALID_SOCKET)
        return KVCOM_E_NOT_OPEN;
    if (!line)
        return KVCOM_E_SEND;
    const int length = static_cast<int>(std::strlen(line));
    const int sent = sendto(g_socket, line, length, 0, reinterpret_cast<const sockaddr*>(&g_destination),
                            sizeof g_destination);
    return sent == length ? KVCOM_OK : KVCOM_E_SEND;
}

int KVCOM_CALL KVCOM_close(void) {
    if (g_socket != INVALID_SOCKET) {
        closesocket(g_socket);
        g_socket = INVALID_SOCKET;
    }
    return KVCOM_OK;
}

} // extern "C"
