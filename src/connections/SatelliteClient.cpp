#include "connections/SatelliteClient.h"
#include "connections/SatelliteCommand.h"
#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <utility>

namespace {

std::string VersionText(const SatelliteApiVersion& v) {
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
}

bool Contains(const std::vector<int>& values, int value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

void Erase(std::vector<int>& values, int value) {
    values.erase(std::remove(values.begin(), values.end(), value), values.end());
}

std::string Seconds(MonoMs ms) {
    return std::to_string((ms + 999) / 1000) + " s";
}

// Companion greets every connection with this before anything else.
constexpr std::string_view kBegin = "BEGIN ";

// The digit a key types into Companion's PIN, or -1: the keypad's digits, and on a full keyboard the
// digit row too.
int PinDigitOf(KeyboardLayoutKind layout, int key) {
    constexpr int kKeypadDigits[] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    for (int digit = 0; digit < 10; ++digit)
        if (key == kKeypadDigits[digit])
            return digit;
    if (layout == KeyboardLayoutKind::Full && key >= 0x02 && key <= 0x0B)
        return (key - 0x01) % 10; // 1-9, then 0
    return -1;
}

std::string Joined(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (const std::string& part : parts)
        if (!part.empty())
            text += (text.empty() ? "" : std::string(separator)) + part;
    return text;
}

} // namespace

SatelliteClient::SatelliteClient(SatelliteClientConfig config)
    : config_(std::move(config)), surfaces_(config_.station) {}

void SatelliteClient::StartSession(bool connected) {
    connected_ = connected;
    begun_ = false;
    closing_ = false;
    wantsClose_ = false;
    pinLock_ = false;
    reader_.Reset();
    surfaces_.ResetSession();
    output_.clear();
    unansweredRemark_.clear();
    mismatch_.clear();
    firstBytes_.clear();
}

void SatelliteClient::OnConnected(MonoMs now) {
    StartSession(true);
    connectedAt_ = now;
    lastReceived_ = now;
    lastPing_ = now;
    errorRemark_.clear();
}

void SatelliteClient::OnReceived(std::string_view bytes, MonoMs now) {
    if (!connected_ || !mismatch_.empty())
        return;
    lastReceived_ = now;
    if (!begun_ && firstBytes_.size() < kBegin.size()) {
        // A web server or a broker given by mistake answers too, but not with BEGIN.
        firstBytes_ += bytes.substr(0, kBegin.size() - firstBytes_.size());
        if (!kBegin.starts_with(firstBytes_)) {
            mismatch_ = "not a Satellite port";
            wantsClose_ = true;
            return;
        }
    }
    reader_.Feed(bytes, [&](std::string_view line) { OnLine(line, now); });
}

void SatelliteClient::OnClosed(MonoMs) {
    // A new session adds everything again, and nothing from this one is sent late: no release of a
    // press that went out before.
    StartSession(false);
}

void SatelliteClient::OnTick(MonoMs now) {
    if (!connected_ || wantsClose_)
        return;
    // Without BEGIN, the port is the likelier fault than the silence.
    if (!begun_ && now - connectedAt_ >= config_.times.lostMs) {
        wantsClose_ = true;
        errorRemark_ = "no BEGIN from the server (is this Companion's Satellite port?)";
        return;
    }
    if (now - lastReceived_ >= config_.times.lostMs) {
        wantsClose_ = true;
        errorRemark_ = "nothing received for " + Seconds(now - lastReceived_);
        return;
    }
    if (closing_)
        return;
    if (now - lastPing_ >= config_.times.pingMs) {
        lastPing_ = now;
        Send(SatelliteCommand("PING").Raw("kvremote-" + std::to_string(++pings_)).Line());
    }
    if (!begun_)
        return;
    SendDueAdds(now);
    // Companion answers pings but not this ADD-DEVICE: it tells only the PC that holds the id.
    unansweredRemark_.clear();
    for (const Surface& surface : surfaces_.All())
        if (surface.state == SurfaceState::Pending &&
            now - surface.askedSince >= config_.times.unansweredMs) {
            unansweredRemark_ = "Companion has not answered for " + surface.id + " in " +
                                Seconds(now - surface.askedSince) +
                                ": does another PC use the station name " + config_.station + "?";
            break;
        }
}

void SatelliteClient::OnLine(std::string_view line, MonoMs now) {
    const SatelliteMessage message = ParseSatelliteMessage(line);
    if (message.answer != SatelliteMessage::Answer::None) {
        OnAnswer(message);
    } else if (message.command == "PING") {
        std::string_view payload = message.body;
        while (!payload.empty() && payload.back() == ' ')
            payload.remove_suffix(1);
        if (!closing_)
            Send(SatelliteCommand("PONG").Raw(payload).Line());
    } else if (message.command == "BEGIN" && !begun_) {
        OnBegin(message, now);
    } else if (message.command == "LOCKED-STATE") {
        OnLockedState(message);
    } else if (config_.lights && (message.command == "KEY-STATE" || message.command == "KEYS-CLEAR")) {
        OnKeyState(message, message.command == "KEYS-CLEAR");
    }
    // PONG, CAPS, BRIGHTNESS and anything unknown: nothing to do.
}

void SatelliteClient::OnBegin(const SatelliteMessage& message, MonoMs now) {
    begun_ = true;
    const auto version = ParseSatelliteApiVersion(message.Param("ApiVersion").value_or(""));
    layout_ = config_.layout;
    layoutRemark_.clear();
    pinLock_ = version && *version >= kPinLockApi;
    if (layout_ == KeyboardLayoutKind::Full && (!version || *version < kFullLayoutApi)) {
        layout_ = KeyboardLayoutKind::Keypad;
        layoutRemark_ = "Companion's Satellite API " + (version ? VersionText(*version) : "(unknown)") +
                        " is older than " + VersionText(kFullLayoutApi) + ": keyboards use the keypad layout";
    }
    if (!closing_)
        SendDueAdds(now);
}

void SatelliteClient::OnAnswer(const SatelliteMessage& message) {
    const bool ok = message.answer == SatelliteMessage::Answer::Ok;
    const std::string_view id = message.Param("DEVICEID").value_or("");
    const std::string_view text = message.Param("MESSAGE").value_or("");
    if (message.command == "ADD-DEVICE") {
        if (ok) {
            surfaces_.Answer(id, true);
        } else if (text == "Device already added") {
            // Said only to the socket that added it: the surface is ours on this connection.
            surfaces_.Answer(id, true);
        } else if (text == "Device exists elsewhere") {
            // Said to the socket that holds the id when another one asks for it.
            errorRemark_ =
                "another client asked for " + std::string(id) + " (two PCs with one station name?)";
        } else if (surfaces_.Answer(id, false)) {
            errorRemark_ = "Companion refused " + std::string(id) + ": " + std::string(text);
        }
        return;
    }
    if (ok || (message.command == "REMOVE-DEVICE" && text == "Device not found"))
        return; // what a removal wants holds
    const std::string command = message.command.empty() ? std::string("ERROR") : message.command + " ERROR";
    errorRemark_ = command + (text.empty() ? std::string() : ": " + std::string(text));
}

void SatelliteClient::SendDueAdds(MonoMs now) {
    const KeyboardLayout& keyboard = KeyboardLayout::Of(layout_);
    for (const Surface* surface : surfaces_.TakeDueAdds(now, config_.times.resendMs)) {
        const bool mouse = surface->device.deviceClass == DEVICE_CLASS_MICE;
        SatelliteCommand add("ADD-DEVICE");
        add.Text("DEVICEID", surface->id)
            .Text("PRODUCT_NAME",
                  SurfaceProductName(config_.station, surface->device, layout_ == KeyboardLayoutKind::Full))
            .Number("KEYS_TOTAL", mouse ? kMouseSurfaceButtons : keyboard.Buttons())
            .Number("KEYS_PER_ROW", mouse ? kMouseSurfaceButtons : keyboard.Columns())
            .Number("BITMAPS", 0)
            .Bool("COLORS", config_.lights && !mouse)
            .Bool("TEXT", false)
            .Bool("BRIGHTNESS", false);
        // Announced, the lock comes as LOCKED-STATE; unannounced, Companion would read presses as PIN
        // digits by their place on the grid, where most digits of a keypad cannot be typed.
        if (pinLock_)
            add.Text("PINCODE_LOCK", "FULL");
        Send(add.Line());
    }
}

void SatelliteClient::SendRemove(const std::string& id) {
    Send(SatelliteCommand("REMOVE-DEVICE").Text("DEVICEID", id).Line());
}

void SatelliteClient::OnEvent(const DestinationEvent& event, MonoMs) {
    if (!connected_ || !begun_ || closing_)
        return;
    Surface* surface = surfaces_.Find({event.deviceClass, event.index});
    if (surface == nullptr || surface->state != SurfaceState::Added)
        return;
    if (surface->locked)
        LockedEvent(*surface, event);
    else if (event.deviceClass == DEVICE_CLASS_MICE)
        MouseEvent(*surface, event);
    else
        KeyboardEvent(*surface, event);
}

void SatelliteClient::KeyboardEvent(Surface& surface, const DestinationEvent& event) {
    const KeyboardLayout& layout = KeyboardLayout::Of(layout_);
    const int button = layout.ButtonOf(event.key);
    if (button < 0)
        return;
    // Two keys on one button (NumLock and Pause): the button is down while either is.
    const auto buttonHeld = [&] {
        return std::any_of(surface.down.begin(), surface.down.end(),
                           [&](int key) { return layout.ButtonOf(key) == button; });
    };
    if (event.kind == DestinationEventKind::Press) {
        if (Contains(surface.down, event.key))
            return;
        const bool held = buttonHeld();
        surface.down.push_back(event.key);
        if (!held)
            SendPress(surface, button, true);
    } else if (event.kind == DestinationEventKind::Release) {
        if (!Contains(surface.down, event.key))
            return; // its press went out in an earlier session, or not at all
        Erase(surface.down, event.key);
        if (!buttonHeld())
            SendPress(surface, button, false);
    }
}

void SatelliteClient::MouseEvent(Surface& surface, const DestinationEvent& event) {
    if (event.kind == DestinationEventKind::Wheel) {
        const int steps = surface.wheel.Add(event.delta);
        for (int i = 0; i < std::abs(steps); ++i)
            Send(SatelliteCommand("KEY-ROTATE")
                     .Text("DEVICEID", surface.id)
                     .Number("KEY", kMouseWheelButton)
                     .Number("DIRECTION", steps > 0 ? 1 : -1)
                     .Line());
        return;
    }
    const int button = MouseSurfaceButton(event.button);
    if (button < 0)
        return;
    const bool press = event.kind == DestinationEventKind::Press;
    if (press == Contains(surface.down, button))
        return; // a second press, or a release without its press in this session
    if (press)
        surface.down.push_back(button);
    else
        Erase(surface.down, button);
    SendPress(surface, button, press);
}

void SatelliteClient::SendPress(const Surface& surface, int button, bool pressed) {
    Send(SatelliteCommand("KEY-PRESS")
             .Text("DEVICEID", surface.id)
             .Number("KEY", button)
             .Bool("PRESSED", pressed)
             .Line());
}

void SatelliteClient::ReleaseHeld(Surface& surface) {
    if (surface.state == SurfaceState::Added && !surface.locked) {
        const bool mouse = surface.device.deviceClass == DEVICE_CLASS_MICE;
        const KeyboardLayout& layout = KeyboardLayout::Of(layout_);
        std::vector<int> buttons;
        for (int down : surface.down) {
            const int button = mouse ? down : layout.ButtonOf(down);
            if (button >= 0 && !Contains(buttons, button)) {
                buttons.push_back(button);
                SendPress(surface, button, false);
            }
        }
    }
    surface.down.clear();
}

void SatelliteClient::OnLockedState(const SatelliteMessage& message) {
    if (!pinLock_)
        return;
    Surface* surface = surfaces_.FindId(message.Param("DEVICEID").value_or(""));
    if (surface == nullptr || surface->state != SurfaceState::Added)
        return;
    const std::string_view locked = message.Param("LOCKED").value_or("");
    surface->locked = locked == "1" || locked == "true";
    const int typed = std::atoi(std::string(message.Param("CHARACTER_COUNT").value_or("0")).c_str());
    surface->typed = std::clamp(typed, 0, 99);
    if (surface->locked) {
        // Companion takes no press while locked, releases included: nothing is held from now on.
        surface->down.clear();
        surface->wheel.Reset();
    }
}

void SatelliteClient::LockedEvent(Surface& surface, const DestinationEvent& event) {
    if (event.kind != DestinationEventKind::Press || event.deviceClass == DEVICE_CLASS_MICE)
        return;
    const int digit = PinDigitOf(layout_, event.key);
    if (digit >= 0)
        Send(SatelliteCommand("PINCODE-KEY").Text("DEVICEID", surface.id).Number("KEY", digit).Line());
}

void SatelliteClient::OnExposure(const std::vector<ExposedDevice>& devices, MonoMs now) {
    // A surface stands for devices present now: one whose devices are all away is taken off.
    std::vector<ExposedDevice> present;
    for (const ExposedDevice& device : devices)
        if (device.present)
            present.push_back(device);
    std::vector<Surface> gone = surfaces_.SetExposure(present);
    if (!connected_ || closing_)
        return;
    // Companion keeps a button of a surface that goes pressed: its buttons are let go first.
    for (Surface& surface : gone) {
        ReleaseHeld(surface);
        SendRemove(surface.id);
    }
    if (begun_)
        SendDueAdds(now);
}

void SatelliteClient::OnGoodbye(MonoMs) {
    if (!connected_ || closing_)
        return;
    for (const std::string& id : surfaces_.HeldIds()) {
        ReleaseHeld(*surfaces_.FindId(id));
        SendRemove(id);
    }
    Send(SatelliteCommand("QUIT").Line());
    closing_ = true;
}

std::string SatelliteClient::TakeOutput() {
    return std::exchange(output_, std::string());
}

std::string SatelliteClient::LockRemark() const {
    const char* word = layout_ == KeyboardLayoutKind::Full ? "keyboard " : "keypad ";
    std::vector<std::string> keyboards;
    std::vector<std::string> mice;
    for (const Surface& surface : surfaces_.All()) {
        if (!surface.locked)
            continue;
        const std::string index = std::to_string(surface.device.index);
        if (surface.device.deviceClass == DEVICE_CLASS_MICE)
            mice.push_back("mouse " + index);
        else
            keyboards.push_back(word + index + " (" + std::to_string(surface.typed) +
                                (surface.typed == 1 ? " digit" : " digits") + " typed)");
    }
    std::string remark;
    if (!keyboards.empty())
        remark = "locked by Companion's PIN: type the PIN on " + Joined(keyboards, ", ") + " to unlock";
    if (!mice.empty())
        remark += (remark.empty() ? "locked by Companion's PIN: " : "; also locked: ") + Joined(mice, ", ") +
                  (keyboards.empty() ? " (no digit keys: unlock it in Companion)" : "");
    return remark;
}

std::string SatelliteClient::StatusDetail() const {
    return Joined({LockRemark(), layoutRemark_, errorRemark_, unansweredRemark_}, "; ");
}

std::string SatelliteClient::TipRemark() const {
    for (const Surface& surface : surfaces_.All())
        if (surface.locked && surface.device.deviceClass != DEVICE_CLASS_MICE)
            return std::string("Companion is locked: type its PIN on ") +
                   (layout_ == KeyboardLayoutKind::Full ? "keyboard " : "keypad ") +
                   std::to_string(surface.device.index);
    for (const Surface& surface : surfaces_.All())
        if (surface.locked)
            return "Companion is locked";
    return {};
}

void SatelliteClient::OnKeyState(const SatelliteMessage& message, bool clear) {
    Surface* surface = surfaces_.FindId(message.Param("DEVICEID").value_or(""));
    if (!surface || surface->device.deviceClass != DEVICE_CLASS_KEYBOARDS)
        return;
    if (clear) {
        for (int light = 0; light < kLockLights; ++light)
            if (LightButton(layout_, static_cast<LockLight>(light)) >= 0)
                SetLight(*surface, static_cast<LockLight>(light), false);
        return;
    }
    // Without a colour (a server that sends none) the lights stay as they are.
    const std::optional<std::string_view> colour = message.Param("COLOR");
    const std::string_view key = message.Param("KEY").value_or("");
    int button = -1;
    if (!colour ||
        std::from_chars(key.data(), key.data() + key.size(), button).ptr != key.data() + key.size())
        return;
    for (int light = 0; light < kLockLights; ++light)
        if (button >= 0 && LightButton(layout_, static_cast<LockLight>(light)) == button)
            SetLight(*surface, static_cast<LockLight>(light), ColourLights(*colour));
}

void SatelliteClient::SetLight(Surface& surface, LockLight light, bool on) {
    const std::uint8_t bit = static_cast<std::uint8_t>(1u << static_cast<int>(light));
    // Companion draws a button again for many reasons: only a change is a command.
    if ((surface.drawn & bit) && ((surface.lit & bit) != 0) == on)
        return;
    surface.drawn |= bit;
    surface.lit = static_cast<std::uint8_t>(on ? surface.lit | bit : surface.lit & ~bit);
    lights_.push_back(LightChange{surface.device.index, light, on});
}

std::vector<LightChange> SatelliteClient::TakeLights() {
    return std::exchange(lights_, {});
}
