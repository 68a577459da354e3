#include "connections/NetworkLoop.h"

#include "connections/ConnectionSession.h"

#include <algorithm>
#include <optional>

namespace {

// At most this much is read from one socket per pass, so one busy peer cannot starve the others.
constexpr std::size_t kReadPerPass = 64 * 1024;

// One connection and its socket.
struct Link {
    std::unique_ptr<ConnectionSession> session;
    NetSocket socket = kNoNetSocket;
    std::shared_ptr<PendingLookup> lookup; // the host's name being looked up
    bool connecting = false;
    bool writable = false;
    MonoMs connectStarted = 0;
    MonoMs leaveBy = 0; // replaced connections: closed at this time at the latest
    ConnectionStatus published;
    bool publishedOnce = false;
    bool lostPending = false;
    std::vector<LightChange> lights;    // set by the peer, not yet handed over
    std::unique_ptr<SecureChannel> tls; // with TLS: from the socket's connect until it closes
};

// With TLS, the handshake is part of connecting: the session hears of the connection when it is done.
bool Handshaking(const Link& link) {
    return link.tls && link.tls->GetState() == SecureChannel::State::Handshaking;
}

// Nothing of this link waits to be written (with TLS, the records too).
bool Drained(const Link& link) {
    return link.session->Finished() && (!link.tls || link.tls->Outgoing().empty());
}

// Everything here belongs to the network thread alone.
class NetworkLoop {
public:
    explicit NetworkLoop(NetworkInbox& inbox) : inbox_(inbox), shell_(*inbox.shell) {}
    void Run();

private:
    // Events and commands in the order the user-interface thread sent them.
    void TakeInbox(MonoMs now);
    void Apply(HubCommand& command, MonoMs now);
    void Service(Link& link, MonoMs now);
    void StartConnect(Link& link, MonoMs now);
    void ConnectTo(Link& link, const Ipv4Endpoint& address, MonoMs now);
    void ReadAll(Link& link, MonoMs now, bool& closed);
    void Deliver(Link& link, std::string_view bytes, MonoMs now);
    void WriteAll(Link& link, MonoMs now);
    void Fail(Link& link, std::string reason, MonoMs now);
    void CloseSocket(Link& link);
    void CloseAfterGoodbye();
    void Publish();
    MonoMs WaitMs(MonoMs now) const;
    bool AllFinished() const;

    NetworkInbox& inbox_;
    NetworkShell& shell_;
    std::vector<Link> links_;
    std::vector<Link> leaving_;
    std::uint64_t generation_ = 0;
    bool goodbye_ = false;
    std::optional<StampedEvent> nextEvent_;
    std::unique_ptr<HubCommand> nextCommand_;
    std::uint64_t eventsTaken_ = 0; // delivered or lost
    std::uint64_t commandsTaken_ = 0;
};

void NetworkLoop::Run() {
    std::vector<WaitFor> sockets;
    while (!inbox_.stop.load(std::memory_order_acquire)) {
        MonoMs now = shell_.Now();
        TakeInbox(now);
        now = shell_.Now();
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
        sockets.clear();
        for (const std::vector<Link>* list : {&links_, &leaving_})
            for (const Link& link : *list)
                if (link.socket != kNoNetSocket)
                    sockets.push_back({link.socket, link.connecting || !link.writable});
        shell_.Wait(sockets, WaitMs(now));
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
            nextEvent_ = inbox_.events.Pop(lost);
            eventsTaken_ += lost - lostBefore;
        }
        if (!nextCommand_)
            if (std::optional<std::unique_ptr<HubCommand>> taken = inbox_.commands.TryPop())
                nextCommand_ = std::move(*taken);
        // Each side counts what the other had sent before it: a release posted before an exposure
        // change reaches the clients before it, however the two queues are taken.
        if (nextEvent_ && nextEvent_->commandsBefore <= commandsTaken_) {
            for (Link& link : links_)
                link.session->Post(nextEvent_->event, now);
            nextEvent_.reset();
            ++eventsTaken_;
        } else if (nextCommand_ && nextCommand_->eventsBefore <= eventsTaken_) {
            const std::unique_ptr<HubCommand> command = std::move(nextCommand_);
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

void NetworkLoop::Apply(HubCommand& command, MonoMs now) {
    std::vector<Link> replacements;
    switch (command.kind) {
    case HubCommand::Kind::Start:
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
            link.leaveBy = now + inbox_.times.replacedGoodbyeMs;
            leaving_.push_back(std::move(link));
        }
        links_ = std::move(replacements);
        break;
    case HubCommand::Kind::Exposure:
        for (Link& link : links_)
            link.session->Expose(command.devices, now);
        break;
    case HubCommand::Kind::Goodbye:
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
        const std::shared_ptr<PendingLookup> lookup = std::move(link.lookup);
        if (lookup->Error() != 0) {
            session.Failed(shell_.ErrorText(lookup->Error()), now);
            return;
        }
        ConnectTo(link, lookup->Address(), now);
    }
    if (link.socket == kNoNetSocket && session.AttemptDue(now))
        StartConnect(link, now);
    if (link.socket == kNoNetSocket)
        return;
    if ((link.connecting || Handshaking(link)) &&
        now - link.connectStarted >= inbox_.times.connectTimeoutMs) {
        Fail(link, shell_.ErrorText(shell_.TimedOutError()), now);
        return;
    }
    SocketNews happened;
    if (const int error = shell_.Events(link.socket, happened); error != 0) {
        Fail(link, shell_.ErrorText(error), now);
        return;
    }
    if (happened.connected) {
        if (happened.connectError != 0) {
            Fail(link, shell_.ErrorText(happened.connectError), now);
            return;
        }
        link.connecting = false;
        link.writable = true;
        if (session.Target().tls) {
            link.tls = shell_.OpenSecureChannel(session.Target().host, session.Target().caFile);
            link.tls->Start();
        } else {
            session.Connected(now);
        }
    }
    if (link.connecting)
        return;
    if (happened.writable)
        link.writable = true;
    bool closed = false;
    if (happened.readable || happened.closed)
        ReadAll(link, now, closed);
    if (link.tls && link.tls->GetState() == SecureChannel::State::Failed) {
        const MonoMs notBefore = link.tls->CertificateRefused() ? now + session.Target().refusedRetryMs : 0;
        std::string reason = link.tls->Failure();
        CloseSocket(link);
        session.Failed(std::move(reason), now, notBefore);
        return;
    }
    if (closed || happened.closed) {
        const int error = happened.closeError;
        Fail(link, error != 0 ? shell_.ErrorText(error) : shell_.ClosedByPeerText(), now);
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
    link.lookup = shell_.Resolve(link.session->Target().host, link.session->Target().port);
    Service(link, now);
}

void NetworkLoop::ConnectTo(Link& link, const Ipv4Endpoint& address, MonoMs now) {
    if (const int error = shell_.Connect(address, link.socket); error != 0) {
        Fail(link, shell_.ErrorText(error), now);
        return;
    }
    link.connecting = true;
    link.writable = false;
    link.connectStarted = now;
}

void NetworkLoop::ReadAll(Link& link, MonoMs now, bool& closed) {
    char buffer[8192];
    for (std::size_t total = 0; total < kReadPerPass;) {
        const Transfer got = shell_.Receive(link.socket, buffer, sizeof buffer);
        if (got.outcome == Transfer::Outcome::Moved) {
            Deliver(link, std::string_view(buffer, got.bytes), now);
            total += got.bytes;
            continue;
        }
        if (got.outcome != Transfer::Outcome::WouldBlock)
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
    if (handshaking && link.tls->GetState() == SecureChannel::State::Open)
        link.session->Connected(now);
    if (!plain.empty())
        link.session->Received(plain, now);
}

void NetworkLoop::WriteAll(Link& link, MonoMs now) {
    while (link.writable) {
        // With TLS, the client's bytes become records first; what the socket takes is erased.
        if (link.tls && link.tls->GetState() == SecureChannel::State::Open && link.tls->Outgoing().empty() &&
            !link.session->Unsent().empty()) {
            const std::string_view unsent = link.session->Unsent().substr(0, 1 << 16);
            link.tls->Seal(unsent);
            link.session->Written(unsent.size(), now);
        }
        const std::string_view unsent =
            link.tls ? std::string_view(link.tls->Outgoing()) : link.session->Unsent();
        if (unsent.empty())
            return;
        const Transfer sent = shell_.Send(link.socket, unsent.substr(0, 1 << 20));
        if (sent.outcome != Transfer::Outcome::Moved) {
            if (sent.outcome == Transfer::Outcome::WouldBlock)
                link.writable = false; // the shell says when there is room again
            else
                Fail(link, shell_.ErrorText(sent.error), now);
            return;
        }
        if (link.tls)
            link.tls->Outgoing().erase(0, sent.bytes);
        else
            link.session->Written(sent.bytes, now);
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
        if (link.socket != kNoNetSocket && !link.connecting) {
            shell_.ShutdownSend(link.socket);
            open.push_back(&link);
        }
    const MonoMs until = shell_.Now() + inbox_.times.lingerMs;
    std::vector<WaitFor> sockets;
    while (!open.empty() && shell_.Now() < until && !inbox_.stop.load(std::memory_order_acquire)) {
        sockets.clear();
        for (const Link* link : open)
            sockets.push_back({link->socket, false});
        shell_.Wait(sockets, std::max<MonoMs>(until - shell_.Now(), 0));
        std::erase_if(open, [&](Link* link) {
            SocketNews happened;
            shell_.Events(link->socket, happened);
            char buffer[4096];
            Transfer got;
            while ((got = shell_.Receive(link->socket, buffer, sizeof buffer)).outcome ==
                   Transfer::Outcome::Moved) {
            }
            if (got.outcome == Transfer::Outcome::WouldBlock)
                return false;
            CloseSocket(*link);
            return true;
        });
    }
}

void NetworkLoop::CloseSocket(Link& link) {
    if (link.socket != kNoNetSocket) {
        shell_.Close(link.socket);
        link.socket = kNoNetSocket;
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
        std::vector<LightChange> lights = link.session->TakeLights();
        link.lights.insert(link.lights.end(), lights.begin(), lights.end());
        ConnectionStatus status = link.session->Status();
        if (link.publishedOnce && status == link.published && !link.lostPending && link.lights.empty())
            continue;
        // What the peer refused or remarked is traced as it comes, besides the status line.
        if (!status.detail.empty() && status.detail != link.published.detail)
            shell_.Remark(status.peer, status.detail);
        auto news =
            std::make_unique<StatusNews>(StatusNews{generation_, i, status, link.lostPending, link.lights});
        if (!inbox_.news.TryPush(news))
            continue; // tried again on the next pass
        link.lights.clear();
        link.published = std::move(status);
        link.publishedOnce = true;
        link.lostPending = false;
        rang = true;
    }
    if (rang)
        shell_.Notify(inbox_.window.load(std::memory_order_acquire));
}

MonoMs NetworkLoop::WaitMs(MonoMs now) const {
    MonoMs until = now + 1000;
    for (const std::vector<Link>* list : {&links_, &leaving_})
        for (const Link& link : *list) {
            if (!link.session->On())
                continue;
            until = std::min(until, link.session->NextWake(now, inbox_.times.tickMs));
            if (link.connecting || Handshaking(link))
                until = std::min(until, link.connectStarted + inbox_.times.connectTimeoutMs);
            if (list == &leaving_)
                until = std::min(until, link.leaveBy);
        }
    return std::max<MonoMs>(until - now, 0);
}

bool NetworkLoop::AllFinished() const {
    return leaving_.empty() && std::all_of(links_.begin(), links_.end(), [](const Link& link) {
               return !link.session->On() || Drained(link);
           });
}

} // namespace

void RunNetworkLoop(NetworkInbox& inbox) {
    NetworkLoop(inbox).Run();
}
