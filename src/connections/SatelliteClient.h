#pragma once
// kvRemote as a client of Companion's Satellite API: every exposed keyboard and mouse is a button
// surface without a display. After each connect it waits for BEGIN, adds the surfaces (asking again
// for those without an answer), turns presses, releases and wheel turns into KEY-PRESS and KEY-ROTATE,
// pings, and counts the connection lost when nothing comes for a while.
#include "connections/ConnectionClient.h"
#include "connections/KeyboardLayouts.h"
#include "connections/SatelliteLineReader.h"
#include "connections/SatelliteMessage.h"
#include "connections/SatelliteSurfaces.h"
#include <string>

// Companion's default Satellite port.
constexpr std::uint16_t kSatelliteDefaultPort = 16622;
// Surfaces wider than 8 or larger than 32 buttons came with API 1.5.1, key numbers above 31 with 1.6.0:
// the full layout needs both.
constexpr SatelliteApiVersion kFullLayoutApi{1, 6, 0};
// A surface can show Companion's PIN lock itself (LOCKED-STATE, PINCODE-KEY) from API 1.8.0.
constexpr SatelliteApiVersion kPinLockApi{1, 8, 0};

struct SatelliteTimes {
    MonoMs pingMs = 2000;   // the server drops a socket idle for 5 s
    MonoMs lostMs = 6000;   // nothing received (not even BEGIN or a PONG) for this long: lost
    MonoMs resendMs = 3000; // an ADD-DEVICE without an answer is sent again after this long
    // A surface without an answer this long while pings are answered: another PC holds its id.
    MonoMs unansweredMs = 10000;
};

struct SatelliteClientConfig {
    std::string station; // the [Connections] station name
    KeyboardLayoutKind layout = KeyboardLayoutKind::Keypad;
    SatelliteTimes times;
    // Keyboard surfaces ask for colours, and the buttons of NumLock, CapsLock and ScrollLock set the
    // keyboard's lights (a station that can write them).
    bool lights = false;
};

class SatelliteClient final : public ConnectionClient {
public:
    explicit SatelliteClient(SatelliteClientConfig config);

    std::string_view PeerName() const override { return "Companion"; }
    void OnConnected(MonoMs now) override;
    void OnReceived(std::string_view bytes, MonoMs now) override;
    void OnClosed(MonoMs now) override;
    void OnTick(MonoMs now) override;
    void OnEvent(const DestinationEvent& event, MonoMs now) override;
    void OnExposure(const std::vector<ExposedDevice>& devices, MonoMs now) override;
    void OnGoodbye(MonoMs now) override;
    std::string TakeOutput() override;
    std::vector<LightChange> TakeLights() override;
    bool WantsClose() const override { return wantsClose_; }
    std::string StatusDetail() const override;
    bool Established() const override { return begun_; }
    std::string Mismatch() const override { return mismatch_; }
    std::string TipRemark() const override;

    // The keyboards' layout in this session: the configured one, or the keypad on an older server.
    KeyboardLayoutKind LayoutInUse() const { return layout_; }
    const SatelliteSurfaces& Surfaces() const { return surfaces_; }

private:
    // Forgets everything of the previous session (reader, surfaces added, unsent bytes).
    void StartSession(bool connected);
    void OnLine(std::string_view line, MonoMs now);
    void OnBegin(const SatelliteMessage& message, MonoMs now);
    void OnAnswer(const SatelliteMessage& message);
    void SendDueAdds(MonoMs now);
    void SendRemove(const std::string& id);
    void KeyboardEvent(Surface& surface, const DestinationEvent& event);
    void MouseEvent(Surface& surface, const DestinationEvent& event);
    void SendPress(const Surface& surface, int button, bool pressed);
    // Lets go of every button the surface holds down on Companion (before it goes).
    void ReleaseHeld(Surface& surface);
    void OnLockedState(const SatelliteMessage& message);
    // KEY-STATE and KEYS-CLEAR: a lock key's button drawn lit or dark.
    void OnKeyState(const SatelliteMessage& message, bool clear);
    void SetLight(Surface& surface, LockLight light, bool on);
    void LockedEvent(Surface& surface, const DestinationEvent& event);
    std::string LockRemark() const;
    void Send(const std::string& line) { output_ += line; }

    SatelliteClientConfig config_;
    SatelliteLineReader reader_;
    SatelliteSurfaces surfaces_;
    KeyboardLayoutKind layout_ = KeyboardLayoutKind::Keypad;
    bool connected_ = false;
    bool begun_ = false;   // BEGIN came in this session
    bool pinLock_ = false; // the surfaces show Companion's PIN lock themselves
    bool closing_ = false; // goodbye said: nothing more goes out
    bool wantsClose_ = false;
    MonoMs connectedAt_ = 0;
    MonoMs lastReceived_ = 0;
    MonoMs lastPing_ = 0;
    unsigned pings_ = 0;
    std::string output_;
    std::vector<LightChange> lights_;
    std::string layoutRemark_;
    std::string errorRemark_;
    std::string unansweredRemark_;
    std::string mismatch_;
    std::string firstBytes_; // what came before BEGIN, up to its length
};
