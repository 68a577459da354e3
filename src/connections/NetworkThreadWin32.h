#pragma once
// The network hub of the Windows program: the portable NetworkHub over Windows' sockets
// (WSAEventSelect), name lookups on threads of their own (NameLookupWin32), an event for the
// wake-up, TLS through Schannel, a thread of CreateThread, and news told to a window with a posted
// WM_CONNECTIONS_STATUS.
#include "connections/NameLookupWin32.h"
#include "connections/NetworkHub.h"

class NetworkThreadWin32 final : public NetworkHub {
public:
    // Names are looked up with `lookup` (the system's when empty) on threads of their own.
    explicit NetworkThreadWin32(NetworkTimes times = {}, NameLookupFunction lookup = {});
};
