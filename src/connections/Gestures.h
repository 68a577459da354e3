#pragma once
// Press patterns told from the presses and releases of one key or mouse button: a single press, a
// double press and a long press, as Home Assistant's event entity and device triggers know them.
// Portable, with time handed in; the caller ticks it often enough for a long press and a single to go
// out when their time comes.
//
// A press held for `longMs` is long at that moment, and gives no single or double. A release followed
// by a second press within `doubleMs` is double, at the second press; that press ends the sequence,
// so a third quick press starts a new one. A release with no second press in time is single once the
// window has passed.
#include "connections/DestinationEvent.h"
#include <cstdint>
#include <vector>

using MonoMs = std::int64_t;

enum class GestureKind : std::uint8_t { Single, Double, Long };

inline constexpr MonoMs kDefaultDoubleMs = 300;
inline constexpr MonoMs kDefaultLongMs = 600;

struct Gesture {
    GestureKind kind = GestureKind::Single;
    DestinationEvent press; // the press it was told from: the key or button, its code and value
};

class GestureTracker {
public:
    explicit GestureTracker(MonoMs doubleMs = kDefaultDoubleMs, MonoMs longMs = kDefaultLongMs)
        : doubleMs_(doubleMs), longMs_(longMs) {}

    // A press or a release (a wheel turn is no gesture): appends what it completes now.
    void Feed(const DestinationEvent& event, MonoMs now, std::vector<Gesture>& out);
    // Appends the long presses and singles whose time has come.
    void Tick(MonoMs now, std::vector<Gesture>& out);
    // When the next of them is due; 0 when none is under way.
    MonoMs NextDue() const;
    // Forgets every sequence (the connection went: nothing that was under way is told).
    void Reset() { sequences_.clear(); }

private:
    enum class Phase : std::uint8_t {
        FirstDown,  // pressed, not yet long
        FirstUp,    // released: waiting for a second press or for the window to pass
        SecondDown, // the double is told; its release ends the sequence
        LongDown,   // the long is told; its release ends the sequence
    };
    struct Sequence {
        DestinationEvent press;
        Phase phase;
        MonoMs at; // when the phase began
    };

    MonoMs doubleMs_;
    MonoMs longMs_;
    std::vector<Sequence> sequences_; // one per key or button under way; a handful at most
};
