#pragma once
// A host name looked up on a thread of its own, so that a name that takes long to fail (a `.local`
// name of a machine that is off, a DNS server out of reach) holds up no other connection: Companion
// drops surfaces that are silent for 5 s. A blocking lookup on a thread rather than the asynchronous
// GetAddrInfoExW, which needs Windows 8. Nobody waits for a lookup: one still running when the
// network thread ends is abandoned with its thread, which keeps its own share of the state.
#include "connections/NetworkShell.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Looks host up for an IPv4 address: 0 and the address, or a Winsock error code. Blocks as long as
// the name takes; called on the lookup's own thread. Tests put a slow one in.
using NameLookupFunction =
    std::function<int(const std::string& host, std::uint16_t port, sockaddr_in& address)>;

// getaddrinfo's first IPv4 address.
int SystemNameLookup(const std::string& host, std::uint16_t port, sockaddr_in& address);

class NameLookupWin32 final : public PendingLookup {
public:
    // Looks host:port up; `wake` is set once the answer is there. A dotted IPv4 address is answered
    // at once, without a thread.
    static std::shared_ptr<NameLookupWin32> Start(const std::string& host, std::uint16_t port, HANDLE wake,
                                                  const NameLookupFunction& lookup);
    ~NameLookupWin32() override;
    NameLookupWin32(const NameLookupWin32&) = delete;
    NameLookupWin32& operator=(const NameLookupWin32&) = delete;

    bool Done() const override { return done_.load(std::memory_order_acquire); }
    // Once done: 0 and the address, or the error.
    int Error() const override { return error_; }
    Ipv4Endpoint Address() const override { return {address_.sin_addr.s_addr, address_.sin_port}; }

private:
    NameLookupWin32() = default;
    static DWORD WINAPI Run(void* parameter);
    void Finish(int error);

    std::string host_;
    std::uint16_t port_ = 0;
    NameLookupFunction lookup_;
    HANDLE wake_ = nullptr; // its own duplicate: the network thread's may be gone by the answer
    int error_ = 0;
    sockaddr_in address_{};
    std::atomic<bool> done_{false};
};
