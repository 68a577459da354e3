#include "connections/Gestures.h"
#include <algorithm>

namespace {

// The same key (or button) of the same index: keyboards by scan code, mice by button.
bool SameSource(const DestinationEvent& a, const DestinationEvent& b) {
    if (a.deviceClass != b.deviceClass || a.index != b.index)
        return false;
    return a.deviceClass == DEVICE_CLASS_MICE ? a.button == b.button : a.key == b.key;
}

} // namespace

void GestureTracker::Feed(const DestinationEvent& event, MonoMs now, std::vector<Gesture>& out) {
    if (event.kind == DestinationEventKind::Wheel)
        return;
    const auto it = std::find_if(sequences_.begin(), sequences_.end(),
                                 [&](const Sequence& s) { return SameSource(s.press, event); });
    if (event.kind == DestinationEventKind::Press) {
        if (it == sequences_.end()) {
            sequences_.push_back({event, Phase::FirstDown, now});
            return;
        }
        if (it->phase != Phase::FirstUp)
            return; // already down: the tracker tells a key down once, so this is not a new press
        if (now - it->at < doubleMs_) {
            out.push_back({GestureKind::Double, it->press});
            *it = {event, Phase::SecondDown, now};
            return;
        }
        // The window passed before a tick could say so: the single first, then a new sequence.
        out.push_back({GestureKind::Single, it->press});
        *it = {event, Phase::FirstDown, now};
        return;
    }
    if (it == sequences_.end())
        return;
    switch (it->phase) {
    case Phase::FirstDown:
        if (now - it->at >= longMs_) {
            out.push_back({GestureKind::Long, it->press});
            sequences_.erase(it);
        } else {
            it->phase = Phase::FirstUp;
            it->at = now;
        }
        break;
    case Phase::SecondDown:
    case Phase::LongDown:
        sequences_.erase(it);
        break;
    case Phase::FirstUp:
        break;
    }
}

void GestureTracker::Tick(MonoMs now, std::vector<Gesture>& out) {
    for (auto it = sequences_.begin(); it != sequences_.end();) {
        if (it->phase == Phase::FirstDown && now - it->at >= longMs_) {
            out.push_back({GestureKind::Long, it->press});
            it->phase = Phase::LongDown;
        } else if (it->phase == Phase::FirstUp && now - it->at >= doubleMs_) {
            out.push_back({GestureKind::Single, it->press});
            it = sequences_.erase(it);
            continue;
        }
        ++it;
    }
}

MonoMs GestureTracker::NextDue() const {
    MonoMs due = 0;
    for (const Sequence& s : sequences_) {
        const MonoMs at = s.phase == Phase::FirstDown ? s.at + longMs_
                          : s.phase == Phase::FirstUp ? s.at + doubleMs_
                                                      : 0;
        if (at > 0 && (due == 0 || at < due))
            due = at;
    }
    return due;
}
