#pragma once
// The presses of auxiliary keys that went out while a release command was set, each waiting for its
// one release line: at the key's physical release, or forced earlier (Apply, setup, a device that
// goes, a capture that stops, Exit), so no receiver is left holding a key. User-interface thread.
#include "app/SettingsValues.h"
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A release to send: the command "Last command sent" shows and the REMOTE line.
struct ReleaseLine {
    std::string command;
    std::string line;
    bool operator==(const ReleaseLine&) const = default;
};

class KeyReleases {
public:
    // A press went out with these settings: remembered when they name a release command. A repeat of
    // a key still down takes the place of its earlier press.
    void Pressed(int device, int key, std::int32_t code, std::int16_t modifiers, int index,
                 const SettingsValues& settings);
    // The key's physical release, with the modifiers as they are now: its line, once.
    std::optional<ReleaseLine> Released(int device, int key, std::int16_t modifiers);
    // The lines of every key still down (of one device, or of all for device 0), in press order,
    // with the modifiers and settings of their press. They are forgotten: a later physical release
    // sends nothing.
    std::vector<ReleaseLine> Force(int device = 0);
    bool Empty() const { return held_.empty(); }

private:
    struct Held {
        int device;
        int key; // scan code with the E0 bit
        std::int32_t code;
        std::int16_t modifiers;
        int index;
        std::string applicationId, destination, command;
    };
    static ReleaseLine LineOf(const Held& held, std::int16_t modifiers);
    std::vector<Held> held_;
};
