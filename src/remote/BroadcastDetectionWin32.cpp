#include "remote/BroadcastDetectionWin32.h"
#include "remote/BroadcastDetection.h"
#include <winsock2.h>
#include <ws2tcpip.h>
#include <ws2ipdef.h>
#include <vector>

namespace {

constexpr DWORD kInterfaceListBytes = 4864; // 64 records

static_assert(sizeof(INTERFACE_INFO) == 76, "the query answers 76-byte records");

// Closes the socket on every path.
class SocketHandle {
public:
    SocketHandle() : s_(socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~SocketHandle() {
        if (s_ != INVALID_SOCKET)
            closesocket(s_);
    }
    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    bool Valid() const { return s_ != INVALID_SOCKET; }
    SOCKET Get() const { return s_; }

private:
    SOCKET s_;
};

} // namespace

std::string DetectBroadcastAddressWin32() {
    SocketHandle socketHandle;
    if (!socketHandle.Valid())
        return std::string(kFallbackBroadcastAddress);

    INTERFACE_INFO list[kInterfaceListBytes / sizeof(INTERFACE_INFO)] = {};
    DWORD bytesReturned = 0;
    if (WSAIoctl(socketHandle.Get(), SIO_GET_INTERFACE_LIST, nullptr, 0, list, kInterfaceListBytes,
                 &bytesReturned, nullptr, nullptr) != 0)
        return std::string(kFallbackBroadcastAddress);

    DWORD count = bytesReturned / sizeof(INTERFACE_INFO);
    if (count > sizeof(list) / sizeof(list[0]))
        count = sizeof(list) / sizeof(list[0]);
    std::vector<InterfaceRecord> records;
    records.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        InterfaceRecord r;
        r.flags = static_cast<uint32_t>(list[i].iiFlags);
        r.address = ntohl(list[i].iiAddress.AddressIn.sin_addr.s_addr);
        r.netmask = ntohl(list[i].iiNetmask.AddressIn.sin_addr.s_addr);
        records.push_back(r);
    }
    return DetectBroadcastAddress(records);
}
