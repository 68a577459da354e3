#pragma once
// The one thread that does the network for every connection: name lookups (each on a thread of its
// own), non-blocking
// connects, reads and writes (WSAEventSelect), and the timers of each ConnectionSession. The
// user-interface thread hands it events through a drop-oldest ring and commands through a queue,
// and hears from it through a queue of statuses whose doorbell is a posted WM_CONNECTIONS_STATUS.
// Neither thread waits for the other, except for Goodbye's bounded wait at the end.
#include "connections/ConnectionsHub.h"
#include "connections/NameLookupWin32.h"

#include <memory>

// Every time the thread keeps, shortened by tests.
struct NetworkTimes {
    MonoMs tickMs = 100;             // the clients' ticks while connected
    MonoMs connectTimeoutMs = 10000; // a connect that gets no answer is given up
    MonoMs replacedGoodbyeMs = 2000; // connections replaced by Start get this long to say goodbye
    MonoMs stopWaitMs = 1000;        // how long the destructor waits for a thread still running
    MonoMs lingerMs = 500;           // after a goodbye, how long the peers are given to close first
};

class NetworkThreadWin32 final : public ConnectionsHub {
public:
    // Events waiting for the thread; beyond this the oldest is dropped and counted.
    static constexpr std::size_t kEventQueue = 256;

    // Names are looked up with `lookup` (the system's when empty) on threads of their own.
    explicit NetworkThreadWin32(NetworkTimes times = {}, NameLookupFunction lookup = {});
    ~NetworkThreadWin32() override;
    NetworkThreadWin32(const NetworkThreadWin32&) = delete;
    NetworkThreadWin32& operator=(const NetworkThreadWin32&) = delete;

    void SetNotifyWindow(std::uintptr_t window) override;
    void Start(std::vector<HubConnection> connections) override;
    bool AnyOn() const override { return anyOn_; }
    void Post(const DestinationEvent& event) override;
    void SetExposure(const std::vector<ExposedDevice>& devices) override;
    void Goodbye(MonoMs boundMs) override;
    std::vector<std::size_t> TakeNews() override;
    const std::vector<ConnectionStatus>& Statuses() const override { return statuses_; }

    struct Command;
    struct Shared;

private:
    bool ThreadRunning() const;
    void EnsureThread();
    // Hands the commands kept back (the queue was full) to the thread, oldest first.
    void FlushBacklog();
    void Send(std::unique_ptr<Command> command);

    NetworkTimes times_;
    NameLookupFunction lookup_;
    bool winsock_ = false;
    std::shared_ptr<Shared> shared_;
    void* thread_ = nullptr;                        // HANDLE
    std::vector<std::unique_ptr<Command>> backlog_; // oldest first
    std::vector<ConnectionStatus> statuses_;
    std::vector<ExposedDevice> exposure_; // the latest, for connections started later
    std::uint64_t generation_ = 0;
    std::uint64_t eventsPosted_ = 0; // to the thread now running, which counts them the same
    std::uint64_t commandsSent_ = 0;
    bool anyOn_ = false;
    bool outOfTime_ = false; // a goodbye ran out of its bound
};
