#include "connections/SatelliteSurfaces.h"
#include <algorithm>

namespace {

bool Held(SurfaceState state) {
    return state == SurfaceState::Pending || state == SurfaceState::Added;
}

const char* ClassWord(const ExposedDevice& device) {
    return device.deviceClass == DEVICE_CLASS_MICE ? "mouse" : "keyboard";
}

} // namespace

std::string SurfaceId(std::string_view station, const ExposedDevice& device) {
    return "kvremote:" + std::string(station) + "-" + ClassWord(device) + "-" + std::to_string(device.index);
}

std::string SurfaceProductName(std::string_view station, const ExposedDevice& device, bool fullKeyboard) {
    const char* kind = device.deviceClass == DEVICE_CLASS_MICE ? "mouse"
                       : fullKeyboard                          ? "keyboard"
                                                               : "keypad";
    return std::string("kvRemote ") + kind + " " + std::to_string(device.index) + " on " +
           std::string(station);
}

std::vector<Surface> SatelliteSurfaces::SetExposure(const std::vector<ExposedDevice>& devices) {
    std::vector<bool> kept(surfaces_.size(), false);
    std::vector<Surface> next;
    next.reserve(devices.size());
    for (const ExposedDevice& device : devices) {
        const auto same = [&](const Surface& s) { return s.device == device; };
        if (std::any_of(next.begin(), next.end(), same))
            continue;
        const auto old = std::find_if(surfaces_.begin(), surfaces_.end(), same);
        if (old != surfaces_.end()) {
            kept[static_cast<std::size_t>(old - surfaces_.begin())] = true;
            next.push_back(std::move(*old));
        } else {
            Surface fresh;
            fresh.device = device;
            fresh.id = SurfaceId(station_, device);
            next.push_back(std::move(fresh));
        }
    }
    std::vector<Surface> gone;
    for (std::size_t i = 0; i < surfaces_.size(); ++i)
        if (!kept[i] && Held(surfaces_[i].state))
            gone.push_back(std::move(surfaces_[i]));
    surfaces_ = std::move(next);
    std::sort(surfaces_.begin(), surfaces_.end(),
              [](const Surface& a, const Surface& b) { return a.device < b.device; });
    return gone;
}

void SatelliteSurfaces::ResetSession() {
    for (Surface& surface : surfaces_) {
        surface.state = SurfaceState::Unsent;
        surface.down.clear();
        surface.wheel.Reset();
        surface.locked = false;
        surface.typed = 0;
        surface.lit = surface.drawn = 0;
    }
}

std::vector<const Surface*> SatelliteSurfaces::TakeDueAdds(MonoMs now, MonoMs resendMs) {
    std::vector<const Surface*> due;
    for (Surface& surface : surfaces_) {
        const bool unsent = surface.state == SurfaceState::Unsent;
        const bool overdue = surface.state == SurfaceState::Pending && now - surface.sentAt >= resendMs;
        if (unsent || overdue) {
            if (unsent)
                surface.askedSince = now;
            surface.state = SurfaceState::Pending;
            surface.sentAt = now;
            due.push_back(&surface);
        }
    }
    return due;
}

bool SatelliteSurfaces::Answer(std::string_view id, bool ok) {
    for (Surface& surface : surfaces_) {
        if (surface.id == id && surface.state == SurfaceState::Pending) {
            surface.state = ok ? SurfaceState::Added : SurfaceState::Refused;
            return true;
        }
    }
    return false;
}

Surface* SatelliteSurfaces::Find(const ExposedDevice& device) {
    for (Surface& surface : surfaces_)
        if (surface.device == device)
            return &surface;
    return nullptr;
}

Surface* SatelliteSurfaces::FindId(std::string_view id) {
    for (Surface& surface : surfaces_)
        if (surface.id == id)
            return &surface;
    return nullptr;
}

std::vector<std::string> SatelliteSurfaces::HeldIds() const {
    std::vector<std::string> ids;
    for (const Surface& surface : surfaces_)
        if (Held(surface.state))
            ids.push_back(surface.id);
    return ids;
}
