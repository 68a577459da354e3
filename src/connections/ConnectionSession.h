#pragma once
// One connection as the network thread runs it, without the socket: when to try again, what is
// waiting to be written, the events queued for a slow socket, and what the user is told. The
// thread reports what its socket did and writes what Unsent() gives; time is handed in.
#include "connections/ConnectionClient.h"
#include "connections/ConnectionStatus.h"
#include "connections/ReconnectSchedule.h"

#include <cstddef>
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class ConnectionSession {
public:
    // Events held back while the socket is slow; beyond this the oldest is dropped and counted.
    static constexpr std::size_t kPendingEvents = 128;
    // Events go to the client only while less than this is waiting to be written.
    static constexpr std::size_t kFeedBelowBytes = 4096;

    // A client is needed unless the target's host is empty (off).
    ConnectionSession(ConnectionTarget target, std::unique_ptr<ConnectionClient> client, MonoMs now);

    const ConnectionTarget& Target() const { return target_; }
    bool On() const { return client_ != nullptr && !target_.host.empty(); }
    bool IsConnected() const { return status_.state == LinkState::Connected && !closing_; }
    bool AttemptDue(MonoMs now) const;
    // When the thread must come back at the latest (an attempt, a tick).
    MonoMs NextWake(MonoMs now, MonoMs tickMs) const;

    // The socket side.
    void Attempting() { attempting_ = true; }
    void Connected(MonoMs now);
    void Received(std::string_view bytes, MonoMs now);
    // An attempt failed or the connection ended; reason as the user reads it (empty: no answer).
    // The next attempt is scheduled, no sooner than notBefore (a refusal that waits longer).
    void Failed(std::string reason, MonoMs now, MonoMs notBefore = 0);
    void Tick(MonoMs now);
    std::string_view Unsent() const { return std::string_view(outbox_).substr(sent_); }
    void Written(std::size_t bytes, MonoMs now);
    // The client counts the connection as lost: the thread closes it and calls Failed.
    bool WantsClose() const { return IsConnected() && client_->WantsClose(); }
    // The lock lights the peer set since the last call.
    std::vector<LightChange> TakeLights() {
        return client_ ? client_->TakeLights() : std::vector<LightChange>();
    }
    std::string CloseReason() const { return client_ ? client_->StatusDetail() : std::string(); }

    // The session this one replaces at the same place: its client hands over what it left on the peer.
    void Follow(const ConnectionSession& previous);

    // The user-interface side, through the thread's queue.
    void Post(const DestinationEvent& event, MonoMs now);
    void Expose(const std::vector<ExposedDevice>& devices, MonoMs now);
    // Events the shared queue dropped while this connection was up.
    void CountDropped(std::uint64_t count);
    // A clean stop: the client says goodbye; Finished() once it is written or when not connected.
    void Goodbye(MonoMs now);
    bool Finished() const { return closing_ && (status_.state != LinkState::Connected || Unsent().empty()); }

    ConnectionStatus Status() const;
    // True once after a connection that worked (the peer spoke the protocol) was lost.
    bool TakeLost();

private:
    void TakeOutput();
    void Feed(MonoMs now);

    ConnectionTarget target_;
    std::unique_ptr<ConnectionClient> client_;
    ReconnectSchedule schedule_;
    ConnectionStatus status_;
    MonoMs nextAttempt_ = 0;
    bool attempting_ = false;
    bool established_ = false;                      // the peer spoke the protocol on this connection
    LinkState beforeState_ = LinkState::Connecting; // shown until then
    std::string beforeReason_;
    bool lost_ = false;
    bool closing_ = false;
    std::string outbox_;
    std::size_t sent_ = 0;
    // A ring of events held back for a slow socket.
    std::array<DestinationEvent, kPendingEvents> pending_{};
    std::size_t pendingFirst_ = 0;
    std::size_t pendingCount_ = 0;
};
