#include "remote/BroadcastDetection.h"

const PrivateRangeRank PrivateRangeRanks[20] = {
    {"192.168.", 0}, {"172.16.", 1}, {"172.17.", 1}, {"172.18.", 1},  {"172.19.", 1},
    {"172.20.", 1},  {"172.21.", 1}, {"172.22.", 1}, {"172.23.", 1},  {"172.24.", 1},
    {"172.25.", 1},  {"172.26.", 1}, {"172.27.", 1}, {"172.28.", 1},  {"172.29.", 1},
    {"172.30.", 1},  {"172.31.", 1}, {"10.", 2},     {"169.254.", 3}, {nullptr, 4},
};

std::string FormatDottedIPv4(uint32_t a) {
    return std::to_string(a >> 24) + '.' + std::to_string((a >> 16) & 0xFF) + '.' +
           std::to_string((a >> 8) & 0xFF) + '.' + std::to_string(a & 0xFF);
}

int AddressRank(std::string_view dotted) {
    const PrivateRangeRank* row = PrivateRangeRanks;
    for (; row->prefix != nullptr; ++row) {
        if (dotted.starts_with(row->prefix))
            return row->rank;
    }
    return row->rank;
}

std::string DetectBroadcastAddress(std::span<const InterfaceRecord> interfaces) {
    int best = 999;
    bool found = false;
    uint32_t candidate = 0;
    for (const InterfaceRecord& record : interfaces) {
        if ((record.flags & kIffUp) == 0 || (record.flags & kIffLoopback) != 0)
            continue;
        if (record.address == 0)
            continue;
        const int rank = AddressRank(FormatDottedIPv4(record.address));
        if (rank < best) {
            best = rank;
            found = true;
            candidate = (record.address & record.netmask) | ~record.netmask;
        }
    }
    return found ? FormatDottedIPv4(candidate) : std::string(kFallbackBroadcastAddress);
}
