#pragma once
// The network link the main dialog sends its REMOTE lines on (KvCom in the program, a recording
// fake in tests). Portable: the window that takes the link's notifications is an opaque handle.
#include <cstdint>
#include <string>

class NetworkLink {
public:
    virtual ~NetworkLink() = default;
    // Opens the link to address:port; notifications go to window as message. False when the link
    // could not be opened (nothing is sent then).
    virtual bool Init(std::uintptr_t window, unsigned message, const std::string& address, int port) = 0;
    virtual void Send(const std::string& line) = 0;
    virtual void Close() = 0;
};
