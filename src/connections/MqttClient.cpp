#include "connections/MqttClient.h"
#include <algorithm>
#include <set>
#include <utility>

namespace {

bool SameDevice(const ExposedDevice& a, const ExposedDevice& b) {
    return a.deviceClass == b.deviceClass && a.index == b.index;
}

template <typename Devices>
auto FindDevice(Devices& devices, const ExposedDevice& device) {
    return std::find_if(devices.begin(), devices.end(),
                        [&](const ExposedDevice& d) { return SameDevice(d, device); });
}

std::string_view Availability(bool present) {
    return present ? "online" : "offline";
}

// The broker's reason for a refused connection, as the status line says it.
std::string RefusalReason(std::uint8_t code) {
    switch (code) {
    case 1:
        return "unacceptable protocol version";
    case 2:
        // A 3.1.1 broker answers so to a keep-alive above its limit as well; the client id is always
        // one every broker must accept, so the limit is the likely cause.
        return "identifier rejected (the keep-alive may be above the broker's limit)";
    case 3:
        return "server unavailable";
    case 4:
        return "bad user name or password";
    case 5:
        return "not authorised";
    default:
        return "code " + std::to_string(code);
    }
}

} // namespace

MqttClient::MqttClient(MqttClientConfig config, std::optional<MqttPublishedScope> previous)
    : config_(std::move(config)), topics_(config_.topic, config_.station),
      discovery_(config_.discoveryPrefix, topics_, config_.triggers, config_.lights),
      gestures_(config_.doubleMs, config_.longMs), clientId_(topics_.ClientId()) {
    if (previous)
        Adopt(std::move(*previous));
}

void MqttClient::Follow(const ConnectionClient& previous) {
    if (const auto* mqtt = dynamic_cast<const MqttClient*>(&previous))
        Adopt(mqtt->PublishedScope());
}

void MqttClient::Adopt(MqttPublishedScope previous) {
    if (previous.station == config_.station && previous.topic == config_.topic &&
        previous.discovery == config_.discovery && previous.discoveryPrefix == config_.discoveryPrefix) {
        // The same names: what the previous client knew stays true, its removals still due.
        known_ = std::move(previous.devices);
        dueRemovals_ = std::move(previous.dueRemovals);
    } else {
        leftover_ = std::move(previous);
    }
}

MqttPublishedScope MqttClient::PublishedScope() const {
    return {config_.station, config_.topic, config_.discovery, known_, dueRemovals_, config_.discoveryPrefix};
}

void MqttClient::OnConnected(MonoMs now) {
    now_ = now;
    state_ = State::AwaitingConnack;
    reader_.Reset();
    pending_.clear();
    pingSentAt_.reset();
    wantsClose_ = false;
    detail_.clear();
    mismatch_.clear();
    connectedAt_ = lastReceivedAt_ = now;

    MqttConnect connect;
    connect.clientId = clientId_;
    connect.keepAliveSeconds =
        static_cast<std::uint16_t>(std::clamp<MonoMs>((config_.keepAliveMs + 999) / 1000, 1, 65'535));
    connect.cleanSession = true;
    connect.will = MqttWill{topics_.Status(), "offline", 1, true};
    if (!config_.user.empty()) {
        connect.user = config_.user;
        if (!config_.password.empty())
            connect.password = config_.password;
    }
    const std::string packet = EncodeMqttConnect(connect);
    if (packet.empty())
        return Lose("the user name, password or topic is too long for MQTT");
    output_ += packet;
    lastSentAt_ = now;
}

void MqttClient::OnReceived(std::string_view bytes, MonoMs now) {
    now_ = now;
    if (state_ == State::Down || state_ == State::Closing || wantsClose_)
        return;
    lastReceivedAt_ = now;
    inbound_.clear();
    const bool wellFormed = reader_.Feed(bytes, inbound_);
    // Before its CONNACK, anything else is no broker (a web server given by mistake, say).
    if (state_ == State::AwaitingConnack &&
        (inbound_.empty() ? !wellFormed : inbound_.front().type != MqttPacketType::Connack)) {
        mismatch_ = "not an MQTT broker";
        return Lose(mismatch_);
    }
    if (!wellFormed)
        return Lose("the broker sent a malformed packet");
    for (const MqttInbound& packet : inbound_) {
        switch (packet.type) {
        case MqttPacketType::Connack:
            if (state_ != State::AwaitingConnack)
                return Lose("the broker sent a malformed packet");
            OnConnack(packet.connackCode, now);
            if (wantsClose_)
                return;
            break;
        case MqttPacketType::Puback: {
            const auto it = std::find_if(pending_.begin(), pending_.end(),
                                         [&](const Pending& p) { return p.packetId == packet.packetId; });
            if (it == pending_.end())
                break;
            if (it->leftover) {
                leftover_.reset();
            } else if (const auto due = FindDevice(dueRemovals_, it->device); due != dueRemovals_.end()) {
                dueRemovals_.erase(due);
            }
            pending_.erase(it);
            break;
        }
        case MqttPacketType::PingResp:
            pingSentAt_.reset();
            break;
        case MqttPacketType::Publish:
            // Subscribed at QoS 0, so nothing is to be acknowledged.
            if (const auto change = topics_.LightCommandOf(packet.topic, packet.payload);
                change && config_.lights)
                lights_.push_back(*change);
            break;
        default:
            break;
        }
    }
}

void MqttClient::OnConnack(std::uint8_t code, MonoMs now) {
    if (code != 0) {
        detail_ = "refused: " + RefusalReason(code);
        retryNotBefore_ = now + config_.refusalRetryMs;
        wantsClose_ = true;
        return;
    }
    state_ = State::Up;
    upAt_ = now;
    retryNotBefore_ = 0;
    detail_ = "as " + clientId_;
    // The broker's retained copies may be stale: everything is said again, old names cleared first.
    ClearLeftover();
    Publish(topics_.Status(), "online", 1, true);
    if (config_.lights) {
        lastPacketId_ = lastPacketId_ == 65'535 ? 1 : lastPacketId_ + 1;
        output_ += EncodeMqttSubscribe(topics_.LightCommands(), lastPacketId_);
    }
    if (config_.discovery)
        Publish(discovery_.StationTopic(), discovery_.StationConfig(), 1, true);
    for (const ExposedDevice& device : known_)
        PublishDevice(device);
    for (const ExposedDevice& device : dueRemovals_)
        PublishRemoval(device);
}

// Clears what the previous station, prefix or discovery choice left retained, except the topics
// published again now (they are overwritten).
void MqttClient::ClearLeftover() {
    if (!leftover_)
        return;
    std::set<std::string> current = {topics_.Status()};
    if (config_.discovery)
        current.insert(discovery_.StationTopic());
    for (const ExposedDevice& device : known_) {
        current.insert(topics_.Availability(device));
        if (config_.discovery) {
            current.insert(discovery_.DeviceTopic(device));
            current.insert(discovery_.LegacyTopic(device));
        }
    }
    const MqttTopics old(leftover_->topic, leftover_->station);
    const MqttDiscovery oldDiscovery(leftover_->discoveryPrefix, old, MqttTriggers::None);
    std::vector<std::string> stale = {old.Status()};
    if (leftover_->discovery)
        stale.push_back(oldDiscovery.StationTopic());
    std::vector<ExposedDevice> oldDevices = leftover_->devices;
    oldDevices.insert(oldDevices.end(), leftover_->dueRemovals.begin(), leftover_->dueRemovals.end());
    for (const ExposedDevice& device : oldDevices) {
        stale.push_back(old.Availability(device));
        if (leftover_->discovery) {
            stale.push_back(oldDiscovery.DeviceTopic(device));
            stale.push_back(oldDiscovery.LegacyTopic(device));
        }
    }
    std::uint16_t last = 0;
    for (const std::string& topic : stale)
        if (!current.contains(topic))
            last = Publish(topic, "", 1, true);
    if (last == 0)
        leftover_.reset();
    else
        pending_.push_back({last, true, {}});
}

// The device config, handed over from the per-entity config of earlier versions in the order Home
// Assistant asks for: the migration note on the old topic, the device config with the same unique
// ids, then the old topic cleared. Said at every connection: after a restart nobody knows whether an
// old config is still retained, and for Home Assistant a note without a config is nothing.
void MqttClient::PublishDevice(const ExposedDevice& device) {
    if (config_.discovery) {
        Publish(discovery_.LegacyTopic(device), kMqttMigrateDiscovery, 1, true);
        Publish(discovery_.DeviceTopic(device), discovery_.DeviceConfig(device), 1, true);
        Publish(discovery_.LegacyTopic(device), "", 1, true);
    }
    Publish(topics_.Availability(device), Availability(device.present), 1, true);
}

// The device's index is no longer used: its config and its availability go (an empty retained
// payload deletes the broker's copy, and Home Assistant drops the device with its entity and triggers).
void MqttClient::PublishRemoval(const ExposedDevice& device) {
    if (config_.discovery)
        Publish(discovery_.DeviceTopic(device), "", 1, true);
    const std::uint16_t last = Publish(topics_.Availability(device), "", 1, true);
    if (last != 0)
        pending_.push_back({last, false, device});
}

void MqttClient::PublishGestures(const std::vector<Gesture>& gestures) {
    static constexpr std::string_view kNames[] = {"single", "double", "long"};
    for (const Gesture& gesture : gestures) {
        const std::string payload =
            MqttTopics::EventPayload(gesture.press, kNames[static_cast<int>(gesture.kind)]);
        if (!payload.empty())
            Publish(topics_.Events({gesture.press.deviceClass, gesture.press.index}), payload, 0, false);
    }
}

std::uint16_t MqttClient::Publish(std::string_view topic, std::string_view payload, int qos, bool retain) {
    std::uint16_t packetId = 0;
    if (qos == 1) {
        lastPacketId_ = lastPacketId_ == 65'535 ? 1 : lastPacketId_ + 1;
        packetId = lastPacketId_;
    }
    const std::string packet = EncodeMqttPublish({topic, payload, qos, retain, packetId});
    if (packet.empty())
        return 0;
    output_ += packet;
    lastSentAt_ = now_;
    return packetId;
}

void MqttClient::OnClosed(MonoMs now) {
    now_ = now;
    if (state_ == State::Up && !wantsClose_) {
        detail_.clear(); // the thread says why the socket went
        NoteEnd(now);
    }
    state_ = State::Down;
    wantsClose_ = false;
    gestures_.Reset();
    reader_.Reset();
    pending_.clear();
    pingSentAt_.reset();
    output_.clear();
}

void MqttClient::OnTick(MonoMs now) {
    now_ = now;
    if (wantsClose_)
        return;
    if (state_ == State::AwaitingConnack) {
        if (now - connectedAt_ >= config_.keepAliveMs)
            Lose("no answer to the connection request");
        return;
    }
    if (state_ != State::Up)
        return;
    gestureOut_.clear();
    gestures_.Tick(now, gestureOut_);
    PublishGestures(gestureOut_);
    if (!warning_.empty() && now - upAt_ >= config_.takeoverWindowMs) {
        takeovers_.clear(); // it holds now
        warning_.clear();
    }
    if (pingSentAt_) {
        if (now - *pingSentAt_ >= config_.keepAliveMs)
            Lose("no answer to a ping within the keep-alive");
        return;
    }
    // A ping when either way has been quiet for half the keep-alive: the broker hears from us in time,
    // and a connection that died silently is noticed even while events still go out.
    const MonoMs half = config_.keepAliveMs / 2;
    if (now - lastSentAt_ >= half || now - lastReceivedAt_ >= half) {
        output_ += EncodeMqttPingReq();
        lastSentAt_ = now;
        pingSentAt_ = now;
    }
}

void MqttClient::NoteEnd(MonoMs now) {
    if (now - upAt_ >= config_.takeoverMs) {
        takeovers_.clear();
        warning_.clear();
        return;
    }
    takeovers_.push_back(now);
    std::erase_if(takeovers_, [&](MonoMs at) { return now - at >= config_.takeoverWindowMs; });
    if (takeovers_.size() >= 3)
        warning_ = "the broker ended the connection right after accepting it " +
                   std::to_string(takeovers_.size()) +
                   " times within a minute: does another client use the id " + clientId_ +
                   " (another PC with this station name)?";
}

void MqttClient::Lose(std::string detail) {
    detail_ = std::move(detail);
    wantsClose_ = true;
}

void MqttClient::OnEvent(const DestinationEvent& event, MonoMs now) {
    now_ = now;
    if (state_ != State::Up || wantsClose_)
        return; // nothing is replayed: an event while down is dropped
    const std::string payload = MqttTopics::EventPayload(event);
    if (payload.empty())
        return;
    Publish(topics_.Events({event.deviceClass, event.index}), payload, 0, false);
    // Press and release go out at once; a gesture they complete follows them.
    gestureOut_.clear();
    gestures_.Feed(event, now, gestureOut_);
    PublishGestures(gestureOut_);
}

void MqttClient::OnExposure(const std::vector<ExposedDevice>& devices, MonoMs now) {
    now_ = now;
    const bool up = state_ == State::Up && !wantsClose_;
    for (const ExposedDevice& device : devices) {
        const auto known = FindDevice(known_, device);
        if (known == known_.end()) {
            if (const auto due = FindDevice(dueRemovals_, device); due != dueRemovals_.end())
                dueRemovals_.erase(due);
            known_.push_back(device);
            if (up)
                PublishDevice(device);
        } else if (known->present != device.present) {
            known->present = device.present;
            if (up)
                Publish(topics_.Availability(device), Availability(device.present), 1, true);
        }
    }
    for (auto it = known_.begin(); it != known_.end();) {
        if (FindDevice(devices, *it) != devices.end()) {
            ++it;
            continue;
        }
        if (FindDevice(dueRemovals_, *it) == dueRemovals_.end())
            dueRemovals_.push_back(*it);
        if (up)
            PublishRemoval(*it);
        it = known_.erase(it);
    }
}

void MqttClient::OnGoodbye(MonoMs now) {
    now_ = now;
    if (state_ != State::Up || wantsClose_)
        return; // without a session, the broker's will says offline
    Publish(topics_.Status(), "offline", 1, true);
    output_ += EncodeMqttDisconnect();
    state_ = State::Closing;
}

std::string MqttClient::TakeOutput() {
    return std::exchange(output_, {});
}

std::vector<LightChange> MqttClient::TakeLights() {
    return std::exchange(lights_, {});
}
