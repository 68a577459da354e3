#pragma once
// The network thread's side of the hub: links and their sessions, lookups and connects, reads and
// writes, connect timeouts, replaced connections' bounded goodbye, the goodbye and the linger, and
// the statuses handed back. It decides; its NetworkShell makes the system calls. What the two
// threads share is a NetworkInbox, one per run of the thread.
#include "connections/ConnectionsHub.h"
#include "connections/DropOldestRing.h"
#include "connections/NetworkShell.h"
#include "connections/SpscQueue.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Every time the thread keeps, shortened by tests.
struct NetworkTimes {
    MonoMs tickMs = 100;             // the clients' ticks while connected
    MonoMs connectTimeoutMs = 10000; // a connect that gets no answer is given up
    MonoMs replacedGoodbyeMs = 2000; // connections replaced by Start get this long to say goodbye
    MonoMs stopWaitMs = 1000;        // how long the destructor waits for a thread still running
    MonoMs lingerMs = 500;           // after a goodbye, how long the peers are given to close first
};

// A command from the user-interface thread.
struct HubCommand {
    enum class Kind { Start, Exposure, Goodbye } kind = Kind::Start;
    std::uint64_t generation = 0;
    std::uint64_t eventsBefore = 0; // events posted before this command, which go first
    std::vector<HubConnection> connections;
    std::vector<ExposedDevice> devices;
};

// An event with the number of commands sent before it, which go first.
struct StampedEvent {
    DestinationEvent event;
    std::uint64_t commandsBefore = 0;
};

// What the thread tells the user-interface thread about one connection.
struct StatusNews {
    std::uint64_t generation = 0;
    std::size_t index = 0;
    ConnectionStatus status;
    bool lost = false;
    std::vector<LightChange> lights; // the lock lights the peer set, in order
};

struct NetworkInbox {
    // Events waiting for the thread; beyond this the oldest is dropped and counted.
    static constexpr std::size_t kEventQueue = 256;
    static constexpr std::size_t kCommandQueue = 32;
    static constexpr std::size_t kNewsQueue = 64;

    NetworkInbox(NetworkTimes t, std::shared_ptr<NetworkShell> s) : times(t), shell(std::move(s)) {}
    NetworkTimes times;
    std::shared_ptr<NetworkShell> shell;
    std::atomic<std::uintptr_t> window{0};
    std::atomic<bool> stop{false};
    DropOldestRing<StampedEvent, kEventQueue> events;
    SpscQueue<std::unique_ptr<HubCommand>, kCommandQueue> commands;
    SpscQueue<std::unique_ptr<StatusNews>, kNewsQueue> news;
};

// Runs until the goodbye is done or the inbox says stop; closes every socket at the end.
void RunNetworkLoop(NetworkInbox& inbox);
