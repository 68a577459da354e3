#include "connections/ConnectionSession.h"

#include <algorithm>
#include <utility>

ConnectionSession::ConnectionSession(ConnectionTarget target, std::unique_ptr<ConnectionClient> client,
                                     MonoMs now)
    : target_(std::move(target)), client_(std::move(client)),
      schedule_(target_.firstRetryMs, target_.reconnectCapMs), nextAttempt_(now) {
    status_.host = target_.host;
    status_.port = target_.port;
    if (client_)
        status_.peer = std::string(client_->PeerName());
    status_.state = On() ? LinkState::Connecting : LinkState::Off;
}

bool ConnectionSession::AttemptDue(MonoMs now) const {
    return On() && !closing_ && !attempting_ && status_.state != LinkState::Connected && now >= nextAttempt_;
}

MonoMs ConnectionSession::NextWake(MonoMs now, MonoMs tickMs) const {
    if (status_.state == LinkState::Connected && !attempting_ && On()) {
        const MonoMs due = client_->TickDue();
        return due > 0 ? std::clamp(due, now, now + tickMs) : now + tickMs;
    }
    if (!On() || attempting_)
        return now + tickMs;
    return closing_ ? now + tickMs : std::max(now, nextAttempt_);
}

void ConnectionSession::Connected(MonoMs now) {
    attempting_ = false;
    established_ = false;
    // Shown until the peer speaks the protocol: the socket alone is no working connection.
    beforeState_ = status_.state;
    beforeReason_ = status_.reason;
    status_.state = LinkState::Connected;
    status_.reason.clear();
    outbox_.clear();
    sent_ = 0;
    pendingCount_ = 0;
    client_->OnConnected(now);
    TakeOutput();
}

void ConnectionSession::Received(std::string_view bytes, MonoMs now) {
    if (!IsConnected() && !closing_)
        return;
    client_->OnReceived(bytes, now);
    if (!established_ && IsConnected() && client_->Established()) {
        established_ = true;
        schedule_.Reset();
    }
    TakeOutput();
    Feed(now);
}

void ConnectionSession::Failed(std::string reason, MonoMs now, MonoMs notBefore) {
    if (!On())
        return;
    const bool wasConnected = status_.state == LinkState::Connected;
    if (wasConnected) {
        // A peer that answered in another protocol is named instead of how its socket ended.
        if (std::string mismatch = client_->Mismatch(); !mismatch.empty())
            reason = std::move(mismatch);
        client_->OnClosed(now);
        lost_ = lost_ || (established_ && !closing_);
    }
    attempting_ = false;
    established_ = false;
    outbox_.clear();
    sent_ = 0;
    // Nothing is replayed: what waited for this connection is gone with it.
    pendingCount_ = 0;
    status_.state = LinkState::Retrying;
    status_.reason = std::move(reason);
    status_.detail.clear();
    nextAttempt_ = std::max({now + schedule_.NextDelay(), client_->RetryNotBefore(), notBefore});
}

void ConnectionSession::Tick(MonoMs now) {
    if (status_.state != LinkState::Connected)
        return;
    client_->OnTick(now);
    TakeOutput();
    Feed(now);
}

void ConnectionSession::Written(std::size_t bytes, MonoMs now) {
    sent_ = std::min(outbox_.size(), sent_ + bytes);
    if (sent_ == outbox_.size()) {
        outbox_.clear();
        sent_ = 0;
    }
    Feed(now);
}

void ConnectionSession::Post(const DestinationEvent& event, MonoMs now) {
    if (!IsConnected())
        return; // dropped, never queued: no stale presses when the peer comes back
    if (pendingCount_ == kPendingEvents) {
        pendingFirst_ = (pendingFirst_ + 1) % kPendingEvents;
        --pendingCount_;
        ++status_.dropped;
    }
    pending_[(pendingFirst_ + pendingCount_++) % kPendingEvents] = event;
    Feed(now);
}

void ConnectionSession::Follow(const ConnectionSession& previous) {
    if (client_ && previous.client_)
        client_->Follow(*previous.client_);
}

void ConnectionSession::Expose(const std::vector<ExposedDevice>& devices, MonoMs now) {
    if (!On() || closing_)
        return;
    // What was posted before the change goes first, whatever the socket takes now.
    while (IsConnected() && pendingCount_ != 0) {
        const DestinationEvent event = pending_[pendingFirst_];
        pendingFirst_ = (pendingFirst_ + 1) % kPendingEvents;
        --pendingCount_;
        client_->OnEvent(event, now);
    }
    client_->OnExposure(devices, now);
    TakeOutput();
}

void ConnectionSession::CountDropped(std::uint64_t count) {
    if (IsConnected())
        status_.dropped += count;
}

void ConnectionSession::Goodbye(MonoMs now) {
    if (closing_)
        return;
    if (IsConnected()) {
        Feed(now);
        client_->OnGoodbye(now);
        TakeOutput();
    }
    closing_ = true;
}

ConnectionStatus ConnectionSession::Status() const {
    ConnectionStatus status = status_;
    if (status.state == LinkState::Connected && !established_) {
        status.state = beforeState_ == LinkState::Retrying ? LinkState::Retrying : LinkState::Connecting;
        status.reason = beforeReason_;
    } else if (status.state == LinkState::Connected) {
        status.detail = client_->StatusDetail();
        status.tip = client_->TipRemark();
    }
    if (client_ && status.state != LinkState::Off)
        status.warning = client_->Warning();
    return status;
}

bool ConnectionSession::TakeLost() {
    return std::exchange(lost_, false);
}

void ConnectionSession::TakeOutput() {
    outbox_ += client_->TakeOutput();
}

void ConnectionSession::Feed(MonoMs now) {
    while (IsConnected() && pendingCount_ != 0 && Unsent().size() < kFeedBelowBytes) {
        const DestinationEvent event = pending_[pendingFirst_];
        pendingFirst_ = (pendingFirst_ + 1) % kPendingEvents;
        --pendingCount_;
        client_->OnEvent(event, now);
        TakeOutput();
    }
}
