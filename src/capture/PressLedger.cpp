#include "capture/PressLedger.h"

namespace {

bool Test(const std::uint32_t* bits, int key) {
    return (bits[key >> 5] >> (key & 31) & 1u) != 0;
}
void Set(std::uint32_t* bits, int key, bool on) {
    const std::uint32_t bit = 1u << (key & 31);
    bits[key >> 5] = on ? bits[key >> 5] | bit : bits[key >> 5] & ~bit;
}

} // namespace

void PressLedger::Clear() {
    for (Presses& p : devices_)
        p = {};
    windows_ = {};
}

void PressLedger::Forget(int device) {
    devices_[device] = {};
}

void PressLedger::TakeWindowsKeys(const WindowsKeys& keys, bool fresh) {
    if (!fresh) {
        windows_.Keep(keys);
        return;
    }
    windows_ = keys;
    for (Presses& p : devices_) {
        for (int w = 0; w < WindowsKeys::kWords; ++w)
            p.consumed[w] &= ~keys.keys[w];
        p.consumedButtons &= static_cast<std::uint8_t>(~keys.buttons);
    }
}

bool PressLedger::KeyGoesBack(int device, int key, bool up, bool captured) {
    Presses& p = devices_[device];
    if (up) {
        const bool back = !captured || !Test(p.consumed, key);
        Set(p.consumed, key, false);
        Set(p.given, key, false);
        if (back)
            windows_.ClearKey(key);
        return back;
    }
    const bool back = !captured || Test(p.given, key) || windows_.Key(key);
    Set(back ? p.given : p.consumed, key, true);
    Set(back ? p.consumed : p.given, key, false);
    return back;
}

std::uint16_t PressLedger::ButtonsGoingBack(int device, std::uint16_t state, bool captured) {
    Presses& p = devices_[device];
    std::uint16_t back = 0;
    for (int b = 0; b < WindowsKeys::kButtons; ++b) {
        const auto bit = static_cast<std::uint8_t>(1u << b);
        // A down before an up: a stroke may carry a whole click.
        if ((state & ButtonDown(b)) != 0) {
            if (!captured || (p.givenButtons & bit) != 0 || (windows_.buttons & bit) != 0) {
                back |= ButtonDown(b);
                p.givenButtons |= bit;
                p.consumedButtons &= static_cast<std::uint8_t>(~bit);
            } else {
                p.consumedButtons |= bit;
            }
        }
        if ((state & ButtonUp(b)) != 0) {
            if (!captured || (p.consumedButtons & bit) == 0) {
                back |= ButtonUp(b);
                windows_.buttons &= ~std::uint32_t{bit};
            }
            p.consumedButtons &= static_cast<std::uint8_t>(~bit);
            p.givenButtons &= static_cast<std::uint8_t>(~bit);
        }
    }
    return back;
}
