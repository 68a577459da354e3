#include "connections/NameLookupWin32.h"

#include "winfx/Trace.h"

#include <ws2tcpip.h>

int SystemNameLookup(const std::string& host, std::uint16_t port, sockaddr_in& address) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
        error != 0)
        return error;
    int error = WSAHOST_NOT_FOUND;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next)
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof address) {
            address = *reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
            error = 0;
            break;
        }
    ::freeaddrinfo(found);
    return error;
}

std::shared_ptr<NameLookupWin32> NameLookupWin32::Start(const std::string& host, std::uint16_t port,
                                                        HANDLE wake, const NameLookupFunction& lookup) {
    std::shared_ptr<NameLookupWin32> state(new NameLookupWin32());
    sockaddr_in numeric{};
    numeric.sin_family = AF_INET;
    numeric.sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &numeric.sin_addr) == 1) {
        state->address_ = numeric;
        state->done_.store(true, std::memory_order_release);
        return state;
    }
    state->host_ = host;
    state->port_ = port;
    state->lookup_ = lookup ? lookup : NameLookupFunction(&SystemNameLookup);
    if (!::DuplicateHandle(::GetCurrentProcess(), wake, ::GetCurrentProcess(), &state->wake_, 0, FALSE,
                           DUPLICATE_SAME_ACCESS)) {
        TraceLastError("DuplicateHandle(lookup wake)");
        state->wake_ = nullptr;
    }
    auto parameter = std::make_unique<std::shared_ptr<NameLookupWin32>>(state);
    if (const HANDLE thread = ::CreateThread(nullptr, 0, &Run, parameter.get(), 0, nullptr)) {
        parameter.release();
        ::CloseHandle(thread);
    } else {
        TraceLastError("CreateThread(lookup)");
        state->Finish(static_cast<int>(::GetLastError()));
    }
    return state;
}

NameLookupWin32::~NameLookupWin32() {
    if (wake_)
        ::CloseHandle(wake_);
}

DWORD WINAPI NameLookupWin32::Run(void* parameter) {
    const std::unique_ptr<std::shared_ptr<NameLookupWin32>> state(
        static_cast<std::shared_ptr<NameLookupWin32>*>(parameter));
    NameLookupWin32& lookup = **state;
    // Winsock of its own: the program may clean up its share while this lookup still runs.
    WSADATA data{};
    const bool winsock = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    sockaddr_in address{};
    const int error = lookup.lookup_(lookup.host_, lookup.port_, address);
    if (winsock)
        ::WSACleanup();
    lookup.address_ = address;
    lookup.Finish(error);
    return 0;
}

void NameLookupWin32::Finish(int error) {
    error_ = error;
    done_.store(true, std::memory_order_release);
    if (wake_)
        ::SetEvent(wake_);
}
