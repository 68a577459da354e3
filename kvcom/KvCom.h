#pragma once
// KvCom.dll: the network link of kvRemote. Each line given to KVCOM_send goes out as one UDP
// datagram (the line's bytes, no terminator) to the address and port given to KVCOM_init, with
// broadcasting allowed. The caller has started Winsock. All three are meant for one thread.
#include <cstdint>

#ifdef _WIN32
#define KVCOM_CALL __cdecl
#else
#define KVCOM_CALL
#endif

// Results: 0 on success, a negative KVCOM_E_* otherwise.
enum : int {
    KVCOM_OK = 0,
    KVCOM_E_NOT_OPEN = -1, // KVCOM_send with no link open: nothing was sent
    KVCOM_E_ADDRESS = -2,  // KVCOM_init: not a dotted IPv4 address
    KVCOM_E_PORT = -3,     // KVCOM_init: port outside 1-65535
    KVCOM_E_SOCKET = -4,   // KVCOM_init: no socket could be made
    KVCOM_E_SEND = -5,     // KVCOM_send: the datagram did not go out (or the line was null)
};

extern "C" {
// Opens the link, replacing any open one. window and message are kept for notifications; this
// version sends none.
int KVCOM_CALL KVCOM_init(void* window, unsigned int message, const char* address, int port);
int KVCOM_CALL KVCOM_send(const char* line);
// Ends the open link; harmless when none is open.
int KVCOM_CALL KVCOM_close(void);
}
