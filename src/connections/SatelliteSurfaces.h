#pragma once
// The Companion surfaces of one connection: one per exposed (class, index), each unsent, pending (its
// ADD-DEVICE went out, no answer yet), added (answered OK) or refused (answered ERROR). A pending
// surface is asked for again every resend interval: a server that still holds the id for an older,
// half-open socket answers nothing until it drops that socket. Only an added surface takes presses,
// and it remembers what went down in this session so that a release never comes without its press.
#include "connections/ConnectionClient.h"
#include "connections/MouseSurface.h"
#include <string>
#include <string_view>
#include <vector>

enum class SurfaceState : std::uint8_t { Unsent, Pending, Added, Refused };

struct Surface {
    ExposedDevice device;
    std::string id; // DEVICEID
    SurfaceState state = SurfaceState::Unsent;
    MonoMs sentAt = 0;
    MonoMs askedSince = 0; // the first ADD-DEVICE of this session
    std::vector<int> down; // keys (keyboards) or buttons (mice) pressed in this session
    WheelSteps wheel;
    // Companion's PIN lock holds it: digits go to the PIN, nothing else goes out.
    bool locked = false;
    int typed = 0; // digits of the PIN typed so far, as Companion counts them
    // The lock lights Companion's colours set in this session (bit per LockLight), and which of them
    // it drew yet.
    std::uint8_t lit = 0;
    std::uint8_t drawn = 0;
};

// `kvremote:<station>-keyboard-<index>` or `...-mouse-<index>`.
std::string SurfaceId(std::string_view station, const ExposedDevice& device);
// "kvRemote keypad <index> on <station>", "kvRemote keyboard <index> on <station>" (the full
// layout) or "kvRemote mouse <index> on <station>".
std::string SurfaceProductName(std::string_view station, const ExposedDevice& device, bool fullKeyboard);

class SatelliteSurfaces {
public:
    explicit SatelliteSurfaces(std::string station) : station_(std::move(station)) {}

    // The devices shown now. Surfaces of devices no longer shown are forgotten; those the server may
    // hold (pending or added) come back as they were, to be let go and removed. New ones start unsent.
    std::vector<Surface> SetExposure(const std::vector<ExposedDevice>& devices);
    // A new connection: everything unsent, nothing down.
    void ResetSession();

    // Surfaces to add now: unsent ones, and pending ones asked for resendMs ago or longer. They are
    // pending from now.
    std::vector<const Surface*> TakeDueAdds(MonoMs now, MonoMs resendMs);
    // The server's answer to an ADD-DEVICE; false when it names no surface that waits for one.
    bool Answer(std::string_view id, bool ok);

    Surface* Find(const ExposedDevice& device);
    Surface* FindId(std::string_view id);
    // Ids the server may hold, in order.
    std::vector<std::string> HeldIds() const;
    const std::vector<Surface>& All() const { return surfaces_; }

private:
    std::string station_;
    std::vector<Surface> surfaces_; // sorted by device
};
