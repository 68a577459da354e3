#pragma once
// The process's use of Windows sockets: WSAStartup on construction, the matching WSACleanup when
// it goes, whether or not the version asked for was granted.
#include <winsock2.h>

class WinsockSession {
public:
    explicit WinsockSession(WORD version);
    ~WinsockSession();
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

    // Started, and with the version asked for.
    bool Ok() const { return m_started && m_granted == m_asked; }

private:
    WORD m_asked;
    WORD m_granted = 0;
    bool m_started = false;
};
