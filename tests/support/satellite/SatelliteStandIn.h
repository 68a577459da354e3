#pragma once
// A stand-in for Companion's Satellite server, for tests: written from the protocol document and
// answering as the server does, no more kindly. It listens on 127.0.0.1, greets with BEGIN (and
// CAPS from API 1.10), adds, removes and presses surfaces with the server's checks and messages,
// refuses a DEVICEID that a connection holds (to another connection it says nothing at all, and
// tells the holder), answers PING, closes a connection that sent nothing for a while and drops its
// surfaces with it. After each add it sends the surface's brightness; with a PIN set, every surface
// starts locked as under Companion's PIN lock: presses are answered OK and do nothing, PINCODE-KEY
// digits count up (LOCKED-STATE, for surfaces that announced the lock) until the PIN unlocks it. It
// records every line it gets. Serves on a thread of its own.
#include "LoopbackSocket.h"
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct StandInOptions {
    std::string apiVersion = "1.14.0";
    std::string companionVersion = "4.0.0+standin";
    int idleCloseMs = 5000;      // the server drops a socket idle this long
    bool silentFirstAdd = false; // the first ADD-DEVICE of the run gets no answer and adds nothing
    std::string pin;             // Companion's PIN lock on, with this PIN
    bool webServer = false;      // a web server instead: no BEGIN; a request gets 400 and the close
};

struct StandInLine {
    int connection = 0; // 1 for the first connection accepted in the run, and so on
    std::string line;
};

class SatelliteStandIn {
public:
    explicit SatelliteStandIn(StandInOptions options = {}) : options_(std::move(options)) {}
    ~SatelliteStandIn() { Stop(); }
    SatelliteStandIn(const SatelliteStandIn&) = delete;
    SatelliteStandIn& operator=(const SatelliteStandIn&) = delete;

    // Listens on port (0: a free one) and serves; false when the port cannot be had.
    bool Start(std::uint16_t port = 0);
    // Closes the listener and every connection (their surfaces go) and ends the thread.
    void Stop();
    std::uint16_t Port() const { return port_; }

    // Writes text as it is to every open connection (error lines, garbage).
    void SendToAll(const std::string& text);

    std::vector<StandInLine> Lines() const;
    // What the surfaces did, as the server took it: "press <id> <key> <0|1>", "rotate <id> <key> <n>",
    // "unlocked <id>".
    std::vector<std::string> Actions() const;
    // The DEVICEIDs registered now, in order of adding: all, or those of one connection.
    std::vector<std::string> Devices(int connection = 0) const;
    int Accepted() const;
    int Open() const;
    // Polls until done() holds (checked under no lock of the stand-in's) or timeoutMs passed.
    static bool WaitFor(const std::function<bool()>& done, int timeoutMs);

private:
    struct Connection {
        SocketHandle socket = kNoSocket;
        int number = 0;
        std::string buffer;
        std::chrono::steady_clock::time_point lastReceived;
    };
    struct Device {
        std::string id;
        int connection = 0;
        int columns = 0;
        int rows = 0;
        bool showsLock = false; // PINCODE_LOCK announced
        bool locked = false;
        std::string entry; // PIN digits typed so far
    };

    void Serve();
    void Accept();
    void Read(Connection& connection);
    void Handle(Connection& connection, const std::string& line);
    void Close(Connection& connection);
    void Send(Connection& connection, const std::string& text);
    void SendTo(int number, const std::string& text);
    void SendLocked(Connection& connection, const Device& device);
    void PincodeKey(Connection& connection, Device& device, const std::string& key);

    StandInOptions options_;
    std::uint16_t port_ = 0;
    SocketHandle listener_ = kNoSocket;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_; // everything below
    std::vector<Connection> connections_;
    std::vector<Device> devices_;
    std::vector<StandInLine> lines_;
    std::vector<std::string> actions_;
    int accepted_ = 0;
    bool firstAddSeen_ = false;
};
