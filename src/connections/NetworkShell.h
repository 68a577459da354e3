#pragma once
// The system calls under the network loop, one shell per system: name lookups that wake the loop
// when they are done, non-blocking TCP sockets, a wait on the sockets and a wake-up, the texts of
// the system's errors, TLS, and the doorbell of the user-interface thread. Everything but Wake and
// Notify is called on the network thread alone. The loop decides; the shell only does.
#include "connections/ConnectionClient.h"
#include "connections/SecureChannel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// An IPv4 address and port, both in network byte order, as the lookup found them.
struct Ipv4Endpoint {
    std::uint32_t address = 0;
    std::uint16_t port = 0;
};

// A socket of the shell's; what it stands for is the shell's business.
using NetSocket = std::intptr_t;
constexpr NetSocket kNoNetSocket = -1;

// A host name being looked up. Nobody waits for it: a lookup still running when the loop ends is
// abandoned, and keeps its own share of the state.
class PendingLookup {
public:
    virtual ~PendingLookup() = default;
    virtual bool Done() const = 0;
    // Once done: 0 and the address, or the system's error.
    virtual int Error() const = 0;
    virtual Ipv4Endpoint Address() const = 0;
};

// What a socket did since the shell was last asked.
struct SocketNews {
    bool connected = false; // the connect ended: with connectError, or open
    int connectError = 0;
    bool readable = false; // bytes or the end are there to receive
    bool writable = false; // room again after a send that would have blocked
    bool closed = false;   // the peer closed or the connection broke, with closeError (0: closed)
    int closeError = 0;
};

// What one receive or send did.
struct Transfer {
    enum class Outcome { Moved, WouldBlock, Ended, Failed } outcome = Outcome::Moved;
    std::size_t bytes = 0; // Moved: how many
    int error = 0;         // Failed: the system's error
};

// One socket in a wait: writability is waited for only when asked (a connect, a full socket).
struct WaitFor {
    NetSocket socket = kNoNetSocket;
    bool writable = false;
};

class NetworkShell {
public:
    virtual ~NetworkShell() = default;

    // Any thread: the loop's Wait returns soon.
    virtual void Wake() = 0;
    // Any thread: news for the user-interface thread, whose window (0: none) is given.
    virtual void Notify(std::uintptr_t window) = 0;

    // Starts looking host up; the loop is woken once the answer is there. A numeric address is
    // answered at once.
    virtual std::shared_ptr<PendingLookup> Resolve(const std::string& host, std::uint16_t port) = 0;
    // A non-blocking TCP socket (small writes sent at once) connecting to `to`: 0, or the error. A
    // socket it opened is in `socket` even after an error, for Close.
    virtual int Connect(const Ipv4Endpoint& to, NetSocket& socket) = 0;
    // What happened on the socket since the last call: 0, or the error of asking.
    virtual int Events(NetSocket socket, SocketNews& news) = 0;
    virtual Transfer Receive(NetSocket socket, char* buffer, std::size_t size) = 0;
    virtual Transfer Send(NetSocket socket, std::string_view bytes) = 0;
    // Our side is done (FIN); the peer may still send.
    virtual void ShutdownSend(NetSocket socket) = 0;
    // Shuts our side, reads what is unread (else the close would be a reset), and closes.
    virtual void Close(NetSocket socket) = 0;
    // Until a socket has news, Wake is called, or timeoutMs passed.
    virtual void Wait(std::span<const WaitFor> sockets, MonoMs timeoutMs) = 0;
    virtual MonoMs Now() const = 0;

    // The system's text for an error, as the status line shows it.
    virtual std::string ErrorText(int error) const = 0;
    // The error of a connect that got no answer in time.
    virtual int TimedOutError() const = 0;
    // Why a connection ended that the peer closed without an error.
    virtual std::string ClosedByPeerText() const = 0;
    // A TLS channel for the host as the user gave it (caFile empty: the system's roots). A system
    // without TLS answers with one that fails at once, saying so.
    virtual std::unique_ptr<SecureChannel> OpenSecureChannel(const std::string& serverName,
                                                             const std::string& caFile) = 0;
    // What a peer refused or remarked, for the log, as it comes.
    virtual void Remark(std::string_view peer, std::string_view detail) = 0;
};

// The system under the user-interface side: a fresh shell for each run of the thread, the thread
// itself, and a clock.
class NetworkSystem {
public:
    virtual ~NetworkSystem() = default;
    virtual std::shared_ptr<NetworkShell> NewShell() = 0;
    // Runs `run` on a thread of its own; false (and why, traced) when none could be started.
    virtual bool StartThread(std::function<void()> run) = 0;
    // A thread was started and not forgotten, ended or not.
    virtual bool HasThread() const = 0;
    // A thread was started and has not ended.
    virtual bool ThreadRunning() const = 0;
    // Waits at most boundMs for the thread to end; true once it has (or none was started).
    virtual bool WaitForThread(MonoMs boundMs) = 0;
    // The thread is forgotten: ended, or left to end by itself.
    virtual void ForgetThread() = 0;
    // A short pause of the calling thread (a millisecond).
    virtual void Pause() = 0;
    virtual MonoMs Now() const = 0;
};
