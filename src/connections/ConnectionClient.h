#pragma once
// One network destination's protocol as a state machine, fed by the network thread with what its
// socket did and by the user-interface thread (through the thread's queue) with events and the devices
// it exposes. Portable: no socket, no clock; every call gets the time in milliseconds from an
// arbitrary start, and every interval it uses is a parameter so tests can make it short.
#include "connections/DestinationEvent.h"
#include "connections/LockLights.h"
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using MonoMs = std::int64_t;

// Where a connection goes and how patiently it comes back.
struct ConnectionTarget {
    std::string host; // empty: the connection is off
    std::uint16_t port = 0;
    MonoMs reconnectCapMs = 5000;   // after 1 s, 2 s, 4 s, retries come at most this far apart
    MonoMs firstRetryMs = 1000;     // the first wait, doubled after each failure; tests make it short
    bool tls = false;               // through TLS, the peer's certificate checked against host
    std::string caFile{};           // the authority TLS trusts instead of the system's roots (empty: those)
    MonoMs refusedRetryMs = 60'000; // a certificate refused is tried again no sooner than this
};

class ConnectionClient {
public:
    virtual ~ConnectionClient() = default;

    // Its name in the balloon and the tooltip ("Companion", "the MQTT broker").
    virtual std::string_view PeerName() const = 0;

    // The socket is connected (a fresh session: everything the peer must know is sent again).
    virtual void OnConnected(MonoMs now) = 0;
    // Bytes the peer sent, in order, as they came (any split).
    virtual void OnReceived(std::string_view bytes, MonoMs now) = 0;
    // The socket closed or failed; events from now on are dropped until the next OnConnected.
    virtual void OnClosed(MonoMs now) = 0;
    // Called at least every 100 ms while connected: pings, answers overdue, resends.
    virtual void OnTick(MonoMs now) = 0;
    // When the client wants its next tick sooner than that (a gesture's moment); 0: no wish.
    virtual MonoMs TickDue() const { return 0; }

    // An event from the tracker. Dropped, never queued, while not connected.
    virtual void OnEvent(const DestinationEvent& event, MonoMs now) = 0;
    // The whole set of (class, index) shown now, sorted; sent after every change of the set.
    virtual void OnExposure(const std::vector<ExposedDevice>& devices, MonoMs now) = 0;
    // The lock lights the peer set since the last call, in order; none by default.
    virtual std::vector<LightChange> TakeLights() { return {}; }
    // A clean stop (Exit, sign-out): say goodbye; the thread sends what follows and then closes.
    virtual void OnGoodbye(MonoMs now) = 0;
    // Before its first call: this client replaces `previous` (the user changed the settings) and takes
    // over what that one left on the peer. Nothing by default.
    virtual void Follow(const ConnectionClient& previous) { (void)previous; }

    // Bytes to write now, taken (the client forgets them).
    virtual std::string TakeOutput() = 0;
    // True once the protocol counts the connection as lost (no answer in time): the thread closes
    // the socket and calls OnClosed.
    virtual bool WantsClose() const = 0;
    // The earliest time of the next attempt the protocol asks for after a refusal (0: none), on top
    // of the thread's own schedule.
    virtual MonoMs RetryNotBefore() const { return 0; }
    // A protocol-level remark for the status line ("" when nothing to say), such as a refusal's
    // reason or a layout fallback; the thread composes the rest of the line.
    virtual std::string StatusDetail() const { return {}; }

    // True once the peer spoke this protocol on this connection (Companion's BEGIN, a broker's
    // accepted CONNACK): only such a connection works, resets the back-off and is lost when it ends.
    virtual bool Established() const = 0;
    // What the peer is instead, once it answered in another protocol ("not a Satellite port"); the
    // reason of the failure that follows. Empty otherwise.
    virtual std::string Mismatch() const { return {}; }
    // A remark that outlives a connection (a second client that takes this one's place), added to the
    // status line in every state but off; empty when none.
    virtual std::string Warning() const { return {}; }
    // A line for the tray tooltip while connected (a locked surface); empty when none.
    virtual std::string TipRemark() const { return {}; }
};
