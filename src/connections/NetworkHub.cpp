#include "connections/NetworkHub.h"

#include <algorithm>

NetworkHub::NetworkHub(NetworkTimes times, std::unique_ptr<NetworkSystem> system)
    : times_(times), system_(std::move(system)) {}

NetworkHub::~NetworkHub() {
    if (!system_->HasThread())
        return;
    inbox_->stop.store(true, std::memory_order_release);
    inbox_->shell->Wake();
    // After a goodbye that ran out of time the exit's bound is spent: no further wait. A thread
    // that did not end keeps its own share of the state.
    system_->WaitForThread(outOfTime_ ? 0 : times_.stopWaitMs);
    system_->ForgetThread();
}

std::shared_ptr<NetworkInbox> NetworkHub::NewInbox() const {
    return std::make_shared<NetworkInbox>(times_, system_->NewShell());
}

void NetworkHub::SetNotifyWindow(std::uintptr_t window) {
    if (!inbox_)
        inbox_ = NewInbox();
    inbox_->window.store(window, std::memory_order_release);
}

void NetworkHub::EnsureThread() {
    if (system_->ThreadRunning())
        return;
    if (system_->HasThread()) {
        // Ended by an earlier Goodbye: a new one starts with a state of its own.
        system_->ForgetThread();
        const std::uintptr_t window = inbox_->window.load(std::memory_order_acquire);
        inbox_ = NewInbox();
        inbox_->window.store(window, std::memory_order_release);
        backlog_.clear();
        eventsPosted_ = commandsSent_ = 0;
    }
    if (!inbox_)
        inbox_ = NewInbox();
    system_->StartThread([inbox = inbox_] { RunNetworkLoop(*inbox); });
}

void NetworkHub::FlushBacklog() {
    std::size_t handed = 0;
    while (handed < backlog_.size() && inbox_->commands.TryPush(backlog_[handed]))
        ++handed;
    backlog_.erase(backlog_.begin(), backlog_.begin() + static_cast<std::ptrdiff_t>(handed));
}

void NetworkHub::Send(std::unique_ptr<HubCommand> command) {
    if (!inbox_)
        return;
    command->eventsBefore = eventsPosted_;
    ++commandsSent_;
    FlushBacklog();
    if (!backlog_.empty() || !inbox_->commands.TryPush(command))
        backlog_.push_back(std::move(command));
    inbox_->shell->Wake();
}

void NetworkHub::Start(std::vector<HubConnection> connections) {
    ++generation_;
    statuses_.clear();
    anyOn_ = false;
    for (const HubConnection& connection : connections) {
        ConnectionStatus status;
        status.host = connection.target.host;
        status.port = connection.target.port;
        const bool on = connection.client && !connection.target.host.empty();
        if (connection.client)
            status.peer = std::string(connection.client->PeerName());
        status.state = on ? LinkState::Connecting : LinkState::Off;
        anyOn_ = anyOn_ || on;
        statuses_.push_back(std::move(status));
    }
    // Without a connection that is on, no thread is started; one running lets the old ones go.
    if (!anyOn_ && !system_->ThreadRunning())
        return;
    EnsureThread();
    auto command = std::make_unique<HubCommand>();
    command->kind = HubCommand::Kind::Start;
    command->generation = generation_;
    command->connections = std::move(connections);
    command->devices = exposure_;
    Send(std::move(command));
}

void NetworkHub::Post(const DestinationEvent& event) {
    if (!anyOn_ || !system_->HasThread())
        return;
    if (!backlog_.empty())
        FlushBacklog(); // the event waits for the commands before it
    inbox_->events.Push(StampedEvent{event, commandsSent_});
    ++eventsPosted_;
    inbox_->shell->Wake();
}

void NetworkHub::SetExposure(const std::vector<ExposedDevice>& devices) {
    exposure_ = devices;
    if (!system_->ThreadRunning())
        return;
    auto command = std::make_unique<HubCommand>();
    command->kind = HubCommand::Kind::Exposure;
    command->devices = devices;
    Send(std::move(command));
}

void NetworkHub::Goodbye(MonoMs boundMs) {
    if (!system_->ThreadRunning())
        return;
    const MonoMs end = system_->Now() + std::max<MonoMs>(boundMs, 0);
    auto command = std::make_unique<HubCommand>();
    command->kind = HubCommand::Kind::Goodbye;
    Send(std::move(command));
    // The queue may be full while the thread is busy: keep offering until the end.
    while (!backlog_.empty() && system_->Now() < end) {
        system_->Pause();
        FlushBacklog();
        inbox_->shell->Wake();
    }
    const MonoMs left = std::max<MonoMs>(end - system_->Now(), 0);
    if (!system_->WaitForThread(left)) {
        // Out of time: the thread is asked to stop; what it has not sent is dropped.
        outOfTime_ = true;
        inbox_->stop.store(true, std::memory_order_release);
        inbox_->shell->Wake();
    }
}

std::vector<std::size_t> NetworkHub::TakeNews() {
    std::vector<std::size_t> lost;
    if (!inbox_)
        return lost;
    while (std::optional<std::unique_ptr<StatusNews>> taken = inbox_->news.TryPop()) {
        const StatusNews& news = **taken;
        if (news.generation != generation_ || news.index >= statuses_.size())
            continue;
        statuses_[news.index] = news.status;
        lights_.insert(lights_.end(), news.lights.begin(), news.lights.end());
        if (news.lost)
            lost.push_back(news.index);
    }
    FlushBacklog();
    return lost;
}
