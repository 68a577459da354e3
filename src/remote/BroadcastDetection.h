#pragma once
// Proposes a broadcast address from the machine's interfaces (the settings' Default button).
// Private ranges are preferred over link-local and public addresses; the first interface of the
// best rank wins. The interface query itself is BroadcastDetectionWin32.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

inline constexpr uint32_t kIffUp = 1;
inline constexpr uint32_t kIffLoopback = 4;
inline constexpr std::string_view kFallbackBroadcastAddress = "127.255.255.255";

struct PrivateRangeRank {
    const char* prefix; // nullptr ends the table
    int rank;           // lower is preferred
};

// 19 prefixes in preference order, ended by {nullptr, 4}.
extern const PrivateRangeRank PrivateRangeRanks[20];

// One record of the interface list; address and netmask in host byte order.
struct InterfaceRecord {
    uint32_t flags = 0;
    uint32_t address = 0;
    uint32_t netmask = 0;
};

std::string FormatDottedIPv4(uint32_t hostOrderAddress);

// Rank of a dotted address: the first prefix matching its first characters, else the end rank 4.
int AddressRank(std::string_view dotted);

// The broadcast address of the best usable interface (up, not loopback, address not 0.0.0.0),
// or "127.255.255.255" when there is none.
std::string DetectBroadcastAddress(std::span<const InterfaceRecord> interfaces);
