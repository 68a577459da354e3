#include "capture/EvdevIdentity.h"
#include <cstdio>

namespace {

std::string Clean(const std::string& text) {
    std::string out;
    for (const char c : text)
        out.push_back(static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c);
    const auto first = out.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return out.substr(first, out.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::string EvdevHardwareId(const EvdevIdentity& identity) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "VID_%04X&PID_%04X", identity.vendor, identity.product);
    const std::string serial = Clean(identity.uniq);
    return std::string("evdev\\") + ids + "\\" + Clean(identity.name) + "\\" +
           (serial.empty() ? "PHYS_" + Clean(identity.phys) : "SERIAL_" + serial);
}

int EvdevNumbers::Take(DeviceClass deviceClass, const std::string& hardwareId) {
    const int first = FirstDeviceOf(deviceClass), last = LastDeviceOf(deviceClass);
    int chosen = 0;
    for (int d = first; d <= last && chosen == 0; ++d)
        if (!used_[d] && last_[d] == hardwareId)
            chosen = d;
    for (int d = first; d <= last && chosen == 0; ++d)
        if (!used_[d] && last_[d].empty())
            chosen = d;
    for (int d = first; d <= last && chosen == 0; ++d)
        if (!used_[d])
            chosen = d;
    if (chosen != 0) {
        used_[chosen] = true;
        last_[chosen] = hardwareId;
    }
    return chosen;
}

void EvdevNumbers::Free(int device) {
    if (device > 0 && device < kDeviceCount)
        used_[device] = false;
}

void EvdevNumbers::Remember(int device, const std::string& hardwareId) {
    if (device > 0 && device < kDeviceCount && !used_[device])
        last_[device] = hardwareId;
}
