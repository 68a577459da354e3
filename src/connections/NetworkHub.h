#pragma once
// The user-interface thread's side of the one thread that does the network for every connection.
// It hands the thread events through a drop-oldest ring and commands through a queue (with a
// backlog of its own when the queue is full), each stamped with what the other had sent before it
// so the thread takes them in the order they were sent, and hears from it through a queue of
// statuses whose doorbell the system rings. Neither thread waits for the other, except for
// Goodbye's bounded wait at the end. The system calls are its NetworkSystem's.
#include "connections/ConnectionsHub.h"
#include "connections/NetworkLoop.h"
#include "connections/NetworkShell.h"

#include <memory>
#include <utility>

class NetworkHub : public ConnectionsHub {
public:
    // Events waiting for the thread; beyond this the oldest is dropped and counted.
    static constexpr std::size_t kEventQueue = NetworkInbox::kEventQueue;

    NetworkHub(NetworkTimes times, std::unique_ptr<NetworkSystem> system);
    ~NetworkHub() override;
    NetworkHub(const NetworkHub&) = delete;
    NetworkHub& operator=(const NetworkHub&) = delete;

    void SetNotifyWindow(std::uintptr_t window) override;
    void Start(std::vector<HubConnection> connections) override;
    bool AnyOn() const override { return anyOn_; }
    void Post(const DestinationEvent& event) override;
    void SetExposure(const std::vector<ExposedDevice>& devices) override;
    void Goodbye(MonoMs boundMs) override;
    std::vector<std::size_t> TakeNews() override;
    const std::vector<ConnectionStatus>& Statuses() const override { return statuses_; }
    std::vector<LightChange> TakeLights() override { return std::exchange(lights_, {}); }

private:
    std::shared_ptr<NetworkInbox> NewInbox() const;
    void EnsureThread();
    // Hands the commands kept back (the queue was full) to the thread, oldest first.
    void FlushBacklog();
    void Send(std::unique_ptr<HubCommand> command);

    NetworkTimes times_;
    std::unique_ptr<NetworkSystem> system_;
    std::shared_ptr<NetworkInbox> inbox_;
    std::vector<std::unique_ptr<HubCommand>> backlog_; // oldest first
    std::vector<ConnectionStatus> statuses_;
    std::vector<LightChange> lights_;     // taken with the news, not yet asked for
    std::vector<ExposedDevice> exposure_; // the latest, for connections started later
    std::uint64_t generation_ = 0;
    std::uint64_t eventsPosted_ = 0; // to the thread now running, which counts them the same
    std::uint64_t commandsSent_ = 0;
    bool anyOn_ = false;
    bool outOfTime_ = false; // a goodbye ran out of its bound
};
