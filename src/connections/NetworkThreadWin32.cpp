#include "connections/NetworkThreadWin32.h"

#include "base/WindowMessages.h"
#include "connections/ConnectionSession.h"
#include "connections/DropOldestRing.h"
#include "connections/NameLookupWin32.h"
#include "connections/SpscQueue.h"
#include "connections/TlsChannelWin32.h"
#include "res/resource.h"
#include "winfx/StringTable.h"
#include "winfx/Trace.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>

struct NetworkThreadWin32::Command {
    enum class Kind { Start, Exposure, Goodbye } kind = Kind::Start;
    std::uint64_t generation = 0;
    std::uint64_t eventsBefore = 0; // events posted before this command, which go first
    std::vector<HubConnection> connections;
    std::vector<ExposedDevice> devices;
};

namespace {

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
};

constexpr std::size_t kCommandQueue = 32;
constexpr std::size_t kNewsQueue = 64;
// At most this much is read from one socket per pass, so one busy peer cannot starve the others.
constexpr std::size_t kReadPerPass = 64 * 1024;

MonoMs NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Windows' own text for a socket error, without its final full stop.
std::string SystemErrorText(int code) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = length != 0 && buffer ? std::string(buffer, length) : std::string();
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() &&
           (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    if (text.empty())
        text = StringTableTexts().Format(IDS_CONNECTION_ERROR, {std::to_string(code)});
    return text;
}

} // namespace

struct NetworkThreadWin32::Shared {
    Shared(NetworkTimes t, NameLookupFunction l)
        : times(t), lookup(std::move(l)), wake(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~Shared() {
        if (wake)
            ::CloseHandle(wake);
    }
    NetworkTimes times;
    NameLookupFunction lookup;
    HANDLE wake;
    std::atomic<std::uintptr_t> window{0};
    std::atomic<bool> stop{false};
    DropOldestRing<StampedEvent, NetworkThreadWin32::kEventQueue> events;
    SpscQueue<std::unique_ptr<Command>, kCommandQueue> commands;
    SpscQueue<std::unique_ptr<StatusNews>, kNewsQueue> news;
};

namespace {

// One connection and its socket.
struct Link {
    std::unique_ptr<ConnectionSession> session;
    SOCKET socket = INVALID_SOCKET;
    WSAEVENT event = WSA_INVALID_EVENT;
    std::shared_ptr<NameLookupWin32> lookup; // the host's name being looked up
    bool connecting = false;
    bool writable = false;
    MonoMs connectStarted = 0;
    MonoMs leaveBy = 0; // replaced connections: closed at this time at the latest
    ConnectionStatus published;
    bool publishedOnce = false;
    bool lostPending = false;
    std::unique_ptr<TlsChannelWin32> tls; // with TLS: from the socket's connect until it closes
};

// With TLS, the handshake is part of connecting: the session hears of the connection when it is done.
bool Handshaking(const Link& link) {
    return link.tls && link.tls->GetState() == TlsChannelWin32::State::Handshaking;
}

// Nothing of this link waits to be written (with TLS, the records too).
bool Drained(const Link& link) {
    return link.session->Finished() && (!link.tls || link.tls->Outgoing().empty());
}

// The thread's side: everything here belongs to the network thread alone.
class NetworkLoop {
public:
    explicit NetworkLoop(std::shared_ptr<NetworkThreadWin32::Shared> shared) : shared_(std::move(shared)) {}
    void Run();

private:
    // Events and commands in the order the user-interface thread sent them.
    void TakeInbox(MonoMs now);
    void Apply(NetworkThreadWin32::Command& command, MonoMs now);
    void Service(Link& link, MonoMs now);
    void StartConnect(Link& link, MonoMs now);
    void ConnectTo(Link& link, const sockaddr_in& address, MonoMs now);
    void ReadAll(Link& link, MonoMs now, bool& closed);
    void Deliver(Link& link, std::string_view bytes, MonoMs now);
    void WriteAll(Link& link, MonoMs now);
    void Fail(Link& link, std::string reason, MonoMs now);
    void CloseSocket(Link& link);
    void CloseAfterGoodbye();
    void Publish();
    DWORD WaitMs(MonoMs now) const;
    bool AllFinished() const;

    std::shared_ptr<NetworkThreadWin32::Shared> shared_;
    std::vector<Link> links_;
    std::vector<Link> leaving_;
    std::uint64_t generation_ = 0;
    bool goodbye_ = false;
    std::optional<StampedEvent> nextEvent_;
    std::unique_ptr<NetworkThreadWin32::Command> nextCommand_;
    std::uint64_t eventsTaken_ = 0; // delivered or lost
    std::uint64_t commandsTaken_ = 0;
};

void NetworkLoop::Run() {
    while (!shared_->stop.load(std::memory_order_acquire)) {
        MonoMs now = NowMs();
        TakeInbox(now);
        now = NowMs();
        for (Link& link : links_)
            Service(link, now);
        for (Link& link : leaving_)
            Service(link, now);
        std::erase_if(leaving_, [&](Link& link) {
            if (!Drained(link) && now < link.leaveBy)
                return false;
            CloseSocket(link);
            return true;
        });
        Publish();
        if (goodbye_ && AllFinished()) {
            CloseAfterGoodbye();
            break;
        }
        std::vector<WSAEVENT> handles{shared_->wake};
        for (const std::vector<Link>* list : {&links_, &leaving_})
            for (const Link& link : *list)
                if (link.event != WSA_INVALID_EVENT && handles.size() < WSA_MAXIMUM_WAIT_EVENTS)
                    handles.push_back(link.event);
        ::WSAWaitForMultipleEvents(static_cast<DWORD>(handles.size()), handles.data(), FALSE, WaitMs(now),
                                   FALSE);
    }
    for (std::vector<Link>* list : {&links_, &leaving_})
        for (Link& link : *list)
            CloseSocket(link);
}

void NetworkLoop::TakeInbox(MonoMs now) {
    std::uint64_t lost = 0;
    for (;;) {
        if (!nextEvent_) {
            const std::uint64_t lostBefore = lost;
            nextEvent_ = shared_->events.Pop(lost);
            eventsTaken_ += lost - lostBefore;
        }
        if (!nextCommand_)
            if (std::optional<std::unique_ptr<NetworkThreadWin32::Command>> taken =
                    shared_->commands.TryPop())
                nextCommand_ = std::move(*taken);
        // Each side counts what the other had sent before it: a release posted before an exposure
        // change reaches the clients before it, however the two queues are taken.
        if (nextEvent_ && nextEvent_->commandsBefore <= commandsTaken_) {
            for (Link& link : links_)
                link.session->Post(nextEvent_->event, now);
            nextEvent_.reset();
            ++eventsTaken_;
        } else if (nextCommand_ && nextCommand_->eventsBefore <= eventsTaken_) {
            const std::unique_ptr<NetworkThreadWin32::Command> command = std::move(nextCommand_);
            ++commandsTaken_;
            Apply(*command, now);
        } else {
            break; // empty, or what goes first is not there yet
        }
    }
    if (lost != 0)
        for (Link& link : links_)
            link.session->CountDropped(lost);
}

void NetworkLoop::Apply(NetworkThreadWin32::Command& command, MonoMs now) {
    std::vector<Link> replacements;
    switch (command.kind) {
    case NetworkThreadWin32::Command::Kind::Start:
        generation_ = command.generation;
        for (std::size_t i = 0; i < command.connections.size(); ++i) {
            HubConnection& connection = command.connections[i];
            Link link;
            link.session = std::make_unique<ConnectionSession>(std::move(connection.target),
                                                               std::move(connection.client), now);
            if (i < links_.size())
                link.session->Follow(*links_[i].session);
            link.session->Expose(command.devices, now);
            replacements.push_back(std::move(link));
        }
        for (Link& link : links_) {
            link.session->Goodbye(now);
            link.leaveBy = now + shared_->times.replacedGoodbyeMs;
            leaving_.push_back(std::move(link));
        }
        links_ = std::move(replacements);
        break;
    case NetworkThreadWin32::Command::Kind::Exposure:
        for (Link& link : links_)
            link.session->Expose(command.devices, now);
        break;
    case NetworkThreadWin32::Command::Kind::Goodbye:
        goodbye_ = true;
        for (Link& link : links_)
            link.session->Goodbye(now);
        break;
    }
}

void NetworkLoop::Service(Link& link, MonoMs now) {
    ConnectionSession& session = *link.session;
    if (!session.On())
        return;
    if (link.lookup) {
        if (!link.lookup->Done())
            return;
        const std::shared_ptr<NameLookupWin32> lookup = std::move(link.lookup);
        if (lookup->Error() != 0) {
            session.Failed(SystemErrorText(lookup->Error()), now);
            return;
        }
        ConnectTo(link, lookup->Address(), now);
    }
    if (link.socket == INVALID_SOCKET && session.AttemptDue(now))
        StartConnect(link, now);
    if (link.socket == INVALID_SOCKET)
        return;
    if ((link.connecting || Handshaking(link)) &&
        now - link.connectStarted >= shared_->times.connectTimeoutMs) {
        Fail(link, SystemErrorText(WSAETIMEDOUT), now);
        return;
    }
    WSANETWORKEVENTS happened{};
    if (::WSAEnumNetworkEvents(link.socket, link.event, &happened) == SOCKET_ERROR) {
        Fail(link, SystemErrorText(::WSAGetLastError()), now);
        return;
    }
    if (happened.lNetworkEvents & FD_CONNECT) {
        if (const int error = happened.iErrorCode[FD_CONNECT_BIT]; error != 0) {
            Fail(link, SystemErrorText(error), now);
            return;
        }
        link.connecting = false;
        link.writable = true;
        if (session.Target().tls) {
            link.tls = std::make_unique<TlsChannelWin32>(session.Target().host, session.Target().caFile);
            link.tls->Start();
        } else {
            session.Connected(now);
        }
    }
    if (link.connecting)
        return;
    if (happened.lNetworkEvents & FD_WRITE)
        link.writable = true;
    bool closed = false;
    if (happened.lNetworkEvents & (FD_READ | FD_CLOSE))
        ReadAll(link, now, closed);
    if (link.tls && link.tls->GetState() == TlsChannelWin32::State::Failed) {
        const MonoMs notBefore = link.tls->CertificateRefused() ? now + session.Target().refusedRetryMs : 0;
        std::string reason = link.tls->Failure();
        CloseSocket(link);
        session.Failed(std::move(reason), now, notBefore);
        return;
    }
    if (closed || (happened.lNetworkEvents & FD_CLOSE)) {
        const int error = happened.iErrorCode[FD_CLOSE_BIT];
        Fail(link, error != 0 ? SystemErrorText(error) : LoadResourceString(IDS_CONNECTION_CLOSED_BY_PEER),
             now);
        return;
    }
    session.Tick(now);
    if (session.WantsClose()) {
        Fail(link, session.CloseReason(), now);
        return;
    }
    WriteAll(link, now);
}

void NetworkLoop::StartConnect(Link& link, MonoMs now) {
    link.session->Attempting();
    // The name is looked up on a thread of its own; Service connects once the answer is there.
    link.lookup = NameLookupWin32::Start(link.session->Target().host, link.session->Target().port,
                                         shared_->wake, shared_->lookup);
    Service(link, now);
}

void NetworkLoop::ConnectTo(Link& link, const sockaddr_in& address, MonoMs now) {
    link.socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    int error = link.socket == INVALID_SOCKET ? ::WSAGetLastError() : 0;
    if (error == 0) {
        link.event = ::WSACreateEvent();
        // Small writes go at once: an event is a few bytes that should not wait for more.
        const BOOL noDelay = TRUE;
        ::setsockopt(link.socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                     sizeof noDelay);
        if (::WSAEventSelect(link.socket, link.event, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) ==
                SOCKET_ERROR ||
            (::connect(link.socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
                 SOCKET_ERROR &&
             ::WSAGetLastError() != WSAEWOULDBLOCK))
            error = ::WSAGetLastError();
    }
    if (error != 0) {
        Fail(link, SystemErrorText(error), now);
        return;
    }
    link.connecting = true;
    link.writable = false;
    link.connectStarted = now;
}

void NetworkLoop::ReadAll(Link& link, MonoMs now, bool& closed) {
    char buffer[8192];
    for (std::size_t total = 0; total < kReadPerPass;) {
        const int got = ::recv(link.socket, buffer, sizeof buffer, 0);
        if (got > 0) {
            Deliver(link, std::string_view(buffer, static_cast<std::size_t>(got)), now);
            total += static_cast<std::size_t>(got);
            continue;
        }
        if (got == 0)
            closed = true;
        else if (::WSAGetLastError() != WSAEWOULDBLOCK)
            closed = true;
        return;
    }
}

void NetworkLoop::Deliver(Link& link, std::string_view bytes, MonoMs now) {
    if (!link.tls) {
        link.session->Received(bytes, now);
        return;
    }
    const bool handshaking = Handshaking(link);
    std::string plain;
    link.tls->Received(bytes, plain);
    if (handshaking && link.tls->GetState() == TlsChannelWin32::State::Open)
        link.session->Connected(now);
    if (!plain.empty())
        link.session->Received(plain, now);
}

void NetworkLoop::WriteAll(Link& link, MonoMs now) {
    while (link.writable) {
        // With TLS, the client's bytes become records first; what the socket takes is erased.
        if (link.tls && link.tls->GetState() == TlsChannelWin32::State::Open &&
            link.tls->Outgoing().empty() && !link.session->Unsent().empty()) {
            const std::string_view unsent = link.session->Unsent().substr(0, 1 << 16);
            link.tls->Seal(unsent);
            link.session->Written(unsent.size(), now);
        }
        const std::string_view unsent =
            link.tls ? std::string_view(link.tls->Outgoing()) : link.session->Unsent();
        if (unsent.empty())
            return;
        const int sent = ::send(link.socket, unsent.data(),
                                static_cast<int>(std::min<std::size_t>(unsent.size(), 1 << 20)), 0);
        if (sent == SOCKET_ERROR) {
            if (const int error = ::WSAGetLastError(); error != WSAEWOULDBLOCK)
                Fail(link, SystemErrorText(error), now);
            else
                link.writable = false; // FD_WRITE says when there is room again
            return;
        }
        if (link.tls)
            link.tls->Outgoing().erase(0, static_cast<std::size_t>(sent));
        else
            link.session->Written(static_cast<std::size_t>(sent), now);
    }
}

void NetworkLoop::Fail(Link& link, std::string reason, MonoMs now) {
    CloseSocket(link);
    link.session->Failed(std::move(reason), now);
}

void NetworkLoop::CloseAfterGoodbye() {
    // Our side is done (FIN), and the peers get a moment to close theirs: Companion closes on QUIT,
    // a broker on DISCONNECT. Closing at once with their answers unread would reset the connection,
    // and a reset can make the peer drop the goodbye it has not read yet.
    std::vector<Link*> open;
    for (Link& link : links_)
        if (link.socket != INVALID_SOCKET && !link.connecting) {
            ::shutdown(link.socket, SD_SEND);
            open.push_back(&link);
        }
    const MonoMs until = NowMs() + shared_->times.lingerMs;
    while (!open.empty() && NowMs() < until && !shared_->stop.load(std::memory_order_acquire)) {
        std::vector<WSAEVENT> handles{shared_->wake};
        for (const Link* link : open)
            handles.push_back(link->event);
        ::WSAWaitForMultipleEvents(static_cast<DWORD>(handles.size()), handles.data(), FALSE,
                                   static_cast<DWORD>(std::max<MonoMs>(until - NowMs(), 0)), FALSE);
        std::erase_if(open, [&](Link* link) {
            WSANETWORKEVENTS happened{};
            ::WSAEnumNetworkEvents(link->socket, link->event, &happened);
            char buffer[4096];
            int got;
            while ((got = ::recv(link->socket, buffer, sizeof buffer, 0)) > 0) {
            }
            if (got == SOCKET_ERROR && ::WSAGetLastError() == WSAEWOULDBLOCK)
                return false;
            CloseSocket(*link);
            return true;
        });
    }
}

void NetworkLoop::CloseSocket(Link& link) {
    if (link.socket != INVALID_SOCKET) {
        ::shutdown(link.socket, SD_SEND);
        // What the peer sent and we did not read would turn the close into a reset.
        char buffer[4096];
        while (::recv(link.socket, buffer, sizeof buffer, 0) > 0) {
        }
        ::closesocket(link.socket);
        link.socket = INVALID_SOCKET;
    }
    if (link.event != WSA_INVALID_EVENT) {
        ::WSACloseEvent(link.event);
        link.event = WSA_INVALID_EVENT;
    }
    link.connecting = false;
    link.writable = false;
    link.tls.reset();
}

void NetworkLoop::Publish() {
    bool rang = false;
    for (std::size_t i = 0; i < links_.size(); ++i) {
        Link& link = links_[i];
        link.lostPending = link.session->TakeLost() || link.lostPending;
        ConnectionStatus status = link.session->Status();
        if (link.publishedOnce && status == link.published && !link.lostPending)
            continue;
        // What the peer refused or remarked is traced as it comes, besides the status line.
        if (!status.detail.empty() && status.detail != link.published.detail)
            TraceRemark(status.peer, status.detail);
        auto news = std::make_unique<StatusNews>(StatusNews{generation_, i, status, link.lostPending});
        if (!shared_->news.TryPush(news))
            continue; // tried again on the next pass
        link.published = std::move(status);
        link.publishedOnce = true;
        link.lostPending = false;
        rang = true;
    }
    const HWND window = reinterpret_cast<HWND>(shared_->window.load(std::memory_order_acquire));
    if (rang && window && !::PostMessageA(window, WM_CONNECTIONS_STATUS, 0, 0))
        TraceLastError("PostMessageA(WM_CONNECTIONS_STATUS)");
}

DWORD NetworkLoop::WaitMs(MonoMs now) const {
    MonoMs until = now + 1000;
    for (const std::vector<Link>* list : {&links_, &leaving_})
        for (const Link& link : *list) {
            if (!link.session->On())
                continue;
            until = std::min(until, link.session->NextWake(now, shared_->times.tickMs));
            if (link.connecting || Handshaking(link))
                until = std::min(until, link.connectStarted + shared_->times.connectTimeoutMs);
            if (list == &leaving_)
                until = std::min(until, link.leaveBy);
        }
    return static_cast<DWORD>(std::max<MonoMs>(until - now, 0));
}

bool NetworkLoop::AllFinished() const {
    return leaving_.empty() && std::all_of(links_.begin(), links_.end(), [](const Link& link) {
               return !link.session->On() || Drained(link);
           });
}

DWORD WINAPI NetworkThreadMain(void* parameter) {
    std::unique_ptr<std::shared_ptr<NetworkThreadWin32::Shared>> shared(
        static_cast<std::shared_ptr<NetworkThreadWin32::Shared>*>(parameter));
    NetworkLoop(*shared).Run();
    return 0;
}

} // namespace

NetworkThreadWin32::NetworkThreadWin32(NetworkTimes times, NameLookupFunction lookup)
    : times_(times), lookup_(std::move(lookup)) {
    WSADATA data{};
    winsock_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

NetworkThreadWin32::~NetworkThreadWin32() {
    bool ended = true;
    if (thread_) {
        shared_->stop.store(true, std::memory_order_release);
        ::SetEvent(shared_->wake);
        // After a goodbye that ran out of time the exit's bound is spent: no further wait.
        const DWORD wait = outOfTime_ ? 0 : static_cast<DWORD>(times_.stopWaitMs);
        ended = ::WaitForSingleObject(thread_, wait) == WAIT_OBJECT_0;
        ::CloseHandle(thread_);
    }
    // A thread that did not end keeps its own share of the state; its sockets need Winsock.
    if (winsock_ && ended)
        ::WSACleanup();
}

void NetworkThreadWin32::SetNotifyWindow(std::uintptr_t window) {
    if (!shared_)
        shared_ = std::make_shared<Shared>(times_, lookup_);
    shared_->window.store(window, std::memory_order_release);
}

bool NetworkThreadWin32::ThreadRunning() const {
    return thread_ && ::WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT;
}

void NetworkThreadWin32::EnsureThread() {
    if (ThreadRunning())
        return;
    if (thread_) {
        // Ended by an earlier Goodbye: a new one starts with a state of its own.
        ::CloseHandle(thread_);
        thread_ = nullptr;
        const std::uintptr_t window = shared_->window.load(std::memory_order_acquire);
        shared_ = std::make_shared<Shared>(times_, lookup_);
        shared_->window.store(window, std::memory_order_release);
        backlog_.clear();
        eventsPosted_ = commandsSent_ = 0;
    }
    if (!shared_)
        shared_ = std::make_shared<Shared>(times_, lookup_);
    auto parameter = std::make_unique<std::shared_ptr<Shared>>(shared_);
    thread_ = ::CreateThread(nullptr, 0, &NetworkThreadMain, parameter.get(), 0, nullptr);
    if (thread_)
        parameter.release();
    else
        TraceLastError("CreateThread(network)");
}

void NetworkThreadWin32::FlushBacklog() {
    std::size_t handed = 0;
    while (handed < backlog_.size() && shared_->commands.TryPush(backlog_[handed]))
        ++handed;
    backlog_.erase(backlog_.begin(), backlog_.begin() + static_cast<std::ptrdiff_t>(handed));
}

void NetworkThreadWin32::Send(std::unique_ptr<Command> command) {
    if (!shared_)
        return;
    command->eventsBefore = eventsPosted_;
    ++commandsSent_;
    FlushBacklog();
    if (!backlog_.empty() || !shared_->commands.TryPush(command))
        backlog_.push_back(std::move(command));
    ::SetEvent(shared_->wake);
}

void NetworkThreadWin32::Start(std::vector<HubConnection> connections) {
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
    if (!anyOn_ && !ThreadRunning())
        return;
    EnsureThread();
    auto command = std::make_unique<Command>();
    command->kind = Command::Kind::Start;
    command->generation = generation_;
    command->connections = std::move(connections);
    command->devices = exposure_;
    Send(std::move(command));
}

void NetworkThreadWin32::Post(const DestinationEvent& event) {
    if (!anyOn_ || !thread_)
        return;
    if (!backlog_.empty())
        FlushBacklog(); // the event waits for the commands before it
    shared_->events.Push(StampedEvent{event, commandsSent_});
    ++eventsPosted_;
    ::SetEvent(shared_->wake);
}

void NetworkThreadWin32::SetExposure(const std::vector<ExposedDevice>& devices) {
    exposure_ = devices;
    if (!ThreadRunning())
        return;
    auto command = std::make_unique<Command>();
    command->kind = Command::Kind::Exposure;
    command->devices = devices;
    Send(std::move(command));
}

void NetworkThreadWin32::Goodbye(MonoMs boundMs) {
    if (!ThreadRunning())
        return;
    const MonoMs end = NowMs() + std::max<MonoMs>(boundMs, 0);
    auto command = std::make_unique<Command>();
    command->kind = Command::Kind::Goodbye;
    Send(std::move(command));
    // The queue may be full while the thread is busy: keep offering until the end.
    while (!backlog_.empty() && NowMs() < end) {
        ::Sleep(1);
        FlushBacklog();
        ::SetEvent(shared_->wake);
    }
    const MonoMs left = std::max<MonoMs>(end - NowMs(), 0);
    if (::WaitForSingleObject(thread_, static_cast<DWORD>(left)) != WAIT_OBJECT_0) {
        // Out of time: the thread is asked to stop; what it has not sent is dropped.
        outOfTime_ = true;
        shared_->stop.store(true, std::memory_order_release);
        ::SetEvent(shared_->wake);
    }
}

std::vector<std::size_t> NetworkThreadWin32::TakeNews() {
    std::vector<std::size_t> lost;
    if (!shared_)
        return lost;
    while (std::optional<std::unique_ptr<StatusNews>> taken = shared_->news.TryPop()) {
        const StatusNews& news = **taken;
        if (news.generation != generation_ || news.index >= statuses_.size())
            continue;
        statuses_[news.index] = news.status;
        if (news.lost)
            lost.push_back(news.index);
    }
    FlushBacklog();
    return lost;
}
