#pragma once
// What tells the input devices of a Linux station apart, read once per device with the evdev ioctls,
// and the hardware id the device registry keeps for it. A device with a serial is known by it
// wherever it is plugged in; one without (most keypads) by its place on the bus, so identical
// keypads on different ports keep their own indexes across re-plugs and reboots.
#include "capture/DeviceClass.h"
#include <array>
#include <cstdint>
#include <string>

struct EvdevIdentity {
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::string name; // EVIOCGNAME
    std::string phys; // EVIOCGPHYS: "usb-0000:00:14.0-2/input0"
    std::string uniq; // EVIOCGUNIQ: the serial, empty when the device has none
};

// "evdev\VID_046D&PID_C31C\<name>\<serial or place>", with "SERIAL_" or "PHYS_" before the last part.
// Control characters become '?' and the parts are trimmed, so the id reads back from the settings
// file as it was written.
std::string EvdevHardwareId(const EvdevIdentity& identity);

// Keyboards and mice take the driver's device numbers (1-10, 11-20). A device keeps the number it
// had when it went, while no other device took it: a keypad that comes back is where it was.
class EvdevNumbers {
public:
    // The number for a device with this hardware id arriving in the class: the free number that last
    // held the id, else the lowest never used, else the lowest free; 0 when the class is full.
    int Take(DeviceClass deviceClass, const std::string& hardwareId);
    // The device at this number went; the number remembers its id.
    void Free(int device);
    // A number saved with this id in the settings: kept for the device, whatever order the devices
    // are found in (at a boot, or by a process that may open other nodes).
    void Remember(int device, const std::string& hardwareId);
    bool InUse(int device) const { return device > 0 && device < kDeviceCount && used_[device]; }

private:
    std::array<std::string, kDeviceCount> last_;
    std::array<bool, kDeviceCount> used_{};
};
