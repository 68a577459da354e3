#pragma once
// Where each press went, per device: the key presses and mouse button downs the capture thread
// consumed, and those it gave back to the system. A release goes where its press went, whatever
// holds the device by then, so Windows never keeps a key down that it will not see released. Keys
// Windows had down when the filters were last set count as given back until they are released.
// The capture thread's own: fixed size, no allocation, no lock.
#include "capture/DeviceClass.h"
#include "capture/WindowsKeys.h"
#include <cstdint>

class PressLedger {
public:
    void Clear();
    // The device went or changed: what it held went with it.
    void Forget(int device);
    // The keys Windows has down. A fresh read replaces the set and undoes the consumed presses of
    // its keys (their releases were not seen: the device was not held); otherwise it only narrows
    // the set to keys still down.
    void TakeWindowsKeys(const WindowsKeys& keys, bool fresh);

    // A key stroke that the device's mode consumes (`captured`) or gives back. True when it goes
    // back: always when not captured; otherwise a release whose press was not consumed, and the
    // repeats of a press that was given back or that Windows had down.
    bool KeyGoesBack(int device, int key, bool up, bool captured);
    // The same for each transition of a mouse stroke's button state: the transitions that go back.
    std::uint16_t ButtonsGoingBack(int device, std::uint16_t state, bool captured);

private:
    struct Presses {
        std::uint32_t consumed[WindowsKeys::kWords];
        std::uint32_t given[WindowsKeys::kWords];
        std::uint8_t consumedButtons;
        std::uint8_t givenButtons;
    };
    Presses devices_[kDeviceCount] = {};
    WindowsKeys windows_;
};
