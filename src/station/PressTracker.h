#pragma once
// What is down on the auxiliary devices and what each destination was told of it, so that every
// press a destination got is ended by exactly one release: at the key's physical release, or forced
// earlier (Apply, setup, a device that goes, a capture that stops, Exit, sign-out). Destinations are
// the REMOTE lines (only while a release command is set) and the network connections, which get a key
// down once however long it repeats. User-interface thread.
#include "station/SettingsValues.h"
#include "capture/DeviceClass.h"
#include "connections/DestinationEvent.h"
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

// What ending one press tells the destinations that got it.
struct PressEnd {
    std::optional<ReleaseLine> remote;           // the REMOTE release line, when its press had one
    std::optional<DestinationEvent> connections; // the connections' release, when they got the press
};

class PressTracker {
public:
    // A key press (or a repeat) of an auxiliary keyboard whose REMOTE line went out. The REMOTE side
    // remembers it when the settings name a release command (a repeat takes the place of its earlier
    // press); the connections are told once per key down, and only when `toConnections`. Returns the
    // connections' press event, if they are to get one now.
    std::optional<DestinationEvent> KeyPressed(int device, int key, std::int32_t code, std::int16_t value,
                                               int index, const SettingsValues& settings, bool toConnections);
    // A button of an auxiliary mouse went down: the connections' press once, when `toConnections`.
    std::optional<DestinationEvent> ButtonPressed(int device, MouseButton button, int index,
                                                  bool toConnections);
    // The physical release of a key (scan code with the E0 bit) or a mouse button: what its press's
    // destinations are told, each with the code and value of the press it got. Nothing for a press
    // that was forced already or never told.
    PressEnd Released(int device, int key);
    PressEnd ButtonReleased(int device, MouseButton button) { return Released(device, ButtonKey(button)); }
    // The releases of everything still down (of one device, or of all for device 0), in press order.
    // They are forgotten: a later physical release sends nothing.
    std::vector<PressEnd> Force(int device = 0);
    bool Empty() const { return held_.empty(); }

private:
    // Mouse buttons share the key space above every scan code.
    static int ButtonKey(MouseButton button) { return 0x200 + static_cast<int>(button); }

    struct RemoteTold {
        std::int32_t code;
        std::int16_t value;
        std::string applicationId, destination, command;
    };
    struct Held {
        int device;
        int key;
        int index;
        std::optional<RemoteTold> remote;
        std::optional<DestinationEvent> connections; // the press they got
    };
    Held& Find(int device, int key, int index);
    static PressEnd EndOf(const Held& held);
    std::vector<Held> held_;
};

// The mouse transitions of one posted button state: which button went down or up.
struct ButtonTransition {
    MouseButton button = MouseButton::None;
    bool down = false;
};
ButtonTransition ButtonTransitionOf(std::int32_t buttonState);
