#include "winfx/WinsockSession.h"

#include "winfx/Trace.h"

WinsockSession::WinsockSession(WORD version) : m_asked(version) {
    WSADATA data{};
    const int error = ::WSAStartup(version, &data);
    m_started = error == 0;
    if (m_started)
        m_granted = data.wVersion;
    else
        TraceFailure("WSAStartup", static_cast<unsigned long>(error));
}

WinsockSession::~WinsockSession() {
    if (m_started)
        ::WSACleanup();
}
