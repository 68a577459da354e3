#include "linux/NetworkShellPosix.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

MonoMs NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Ring(int fd) {
    const std::uint64_t one = 1;
    while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void Silence(int fd) {
    std::uint64_t count = 0;
    while (::read(fd, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

} // namespace

// What the user-interface side hears, shared by the hub and every run's shell.
struct NetworkHubPosix::Bell {
    int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    NetworkHubPosix::Notify notify;
    NetworkHubPosix::Log log;
    ~Bell() {
        if (fd >= 0)
            ::close(fd);
    }
};

namespace {

using NewsBell = NetworkHubPosix::Bell;

// A name looked up with getaddrinfo on a thread of its own; the answer rings its own copy of the
// loop's wake-up, which outlives the loop if it must.
class LookupPosix final : public PendingLookup {
public:
    ~LookupPosix() override {
        if (wake_ >= 0)
            ::close(wake_);
    }
    static std::shared_ptr<LookupPosix> Start(const std::string& host, std::uint16_t port, int wake) {
        auto state = std::make_shared<LookupPosix>();
        state->address_.port = htons(port);
        in_addr numeric{};
        if (::inet_pton(AF_INET, host.c_str(), &numeric) == 1) {
            state->address_.address = numeric.s_addr;
            state->done_.store(true, std::memory_order_release);
            return state;
        }
        state->wake_ = ::fcntl(wake, F_DUPFD_CLOEXEC, 0);
        try {
            std::thread([state, host, port] { state->Finish(Look(host, port, state->address_)); }).detach();
        } catch (const std::system_error& error) {
            state->Finish(error.code().value());
        }
        return state;
    }
    bool Done() const override { return done_.load(std::memory_order_acquire); }
    int Error() const override { return error_; }
    Ipv4Endpoint Address() const override { return address_; }

private:
    // getaddrinfo's first IPv4 address: 0, a (negative) EAI_ code, or errno.
    static int Look(const std::string& host, std::uint16_t port, Ipv4Endpoint& address) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* found = nullptr;
        if (const int error = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
            error != 0)
            return error == EAI_SYSTEM ? errno : error;
        int error = EAI_NONAME;
        for (const addrinfo* entry = found; entry; entry = entry->ai_next)
            if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
                const auto* in = reinterpret_cast<const sockaddr_in*>(entry->ai_addr);
                address = {in->sin_addr.s_addr, in->sin_port};
                error = 0;
                break;
            }
        ::freeaddrinfo(found);
        return error;
    }
    void Finish(int error) {
        error_ = error;
        done_.store(true, std::memory_order_release);
        if (wake_ >= 0)
            Ring(wake_);
    }

    Ipv4Endpoint address_;
    int error_ = 0;
    int wake_ = -1;
    std::atomic<bool> done_{false};
};

// One run of the network thread: its sockets, with what the last poll saw on each.
class NetworkShellPosix final : public NetworkShell {
public:
    explicit NetworkShellPosix(std::shared_ptr<NewsBell> bell)
        : bell_(std::move(bell)), wake_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~NetworkShellPosix() override {
        for (const auto& [socket, state] : sockets_)
            ::close(static_cast<int>(socket));
        if (wake_ >= 0)
            ::close(wake_);
    }
    NetworkShellPosix(const NetworkShellPosix&) = delete;
    NetworkShellPosix& operator=(const NetworkShellPosix&) = delete;

    void Wake() override { Ring(wake_); }

    void Notify(std::uintptr_t) override {
        Ring(bell_->fd);
        if (bell_->notify)
            bell_->notify();
    }

    std::shared_ptr<PendingLookup> Resolve(const std::string& host, std::uint16_t port) override {
        return LookupPosix::Start(host, port, wake_);
    }

    int Connect(const Ipv4Endpoint& to, NetSocket& socket) override {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
        if (fd < 0)
            return errno;
        socket = fd;
        SocketState& state = sockets_[socket];
        // Small writes go at once: an event is a few bytes that should not wait for more.
        const int noDelay = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = to.address;
        address.sin_port = to.port;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            state.seen = POLLOUT; // on loopback a connect can be done at once
        else if (errno != EINPROGRESS)
            return errno;
        state.connecting = true;
        return 0;
    }

    int Events(NetSocket socket, SocketNews& news) override {
        const auto found = sockets_.find(socket);
        if (found == sockets_.end())
            return EBADF;
        SocketState& state = found->second;
        const short seen = std::exchange(state.seen, 0);
        const bool broken = (seen & (POLLERR | POLLHUP)) != 0;
        if (state.connecting) {
            if (!(seen & POLLOUT) && !broken)
                return 0;
            state.connecting = false;
            news.connected = true;
            news.connectError = PendingError(socket);
            if (news.connectError != 0 || (broken && !(seen & POLLIN))) {
                if (news.connectError == 0)
                    news.connectError = ECONNREFUSED;
                return 0;
            }
        }
        news.readable = (seen & (POLLIN | POLLHUP | POLLERR)) != 0;
        news.writable = (seen & POLLOUT) != 0;
        if (seen & POLLERR) {
            news.closed = true;
            news.closeError = PendingError(socket);
        }
        return 0;
    }

    Transfer Receive(NetSocket socket, char* buffer, std::size_t size) override {
        ssize_t done;
        while ((done = ::recv(static_cast<int>(socket), buffer, size, 0)) < 0 && errno == EINTR) {
        }
        return Result(done);
    }

    Transfer Send(NetSocket socket, std::string_view bytes) override {
        ssize_t done;
        while ((done = ::send(static_cast<int>(socket), bytes.data(), bytes.size(), MSG_NOSIGNAL)) < 0 &&
               errno == EINTR) {
        }
        return done == 0 ? Transfer{Transfer::Outcome::WouldBlock, 0, 0} : Result(done);
    }

    void ShutdownSend(NetSocket socket) override { ::shutdown(static_cast<int>(socket), SHUT_WR); }

    void Close(NetSocket socket) override {
        const int fd = static_cast<int>(socket);
        ::shutdown(fd, SHUT_WR);
        // What the peer sent and we did not read would turn the close into a reset.
        char buffer[4096];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
        ::close(fd);
        sockets_.erase(socket);
    }

    void Wait(std::span<const WaitFor> sockets, MonoMs timeoutMs) override {
        polled_.assign(1, pollfd{wake_, POLLIN, 0});
        for (const WaitFor& item : sockets)
            polled_.push_back(pollfd{static_cast<int>(item.socket),
                                     static_cast<short>(POLLIN | (item.writable ? POLLOUT : 0)), 0});
        if (::poll(polled_.data(), polled_.size(), static_cast<int>(std::min<MonoMs>(timeoutMs, 60'000))) <=
            0)
            return;
        if (polled_[0].revents & POLLIN)
            Silence(wake_);
        for (std::size_t i = 1; i < polled_.size(); ++i)
            if (const auto found = sockets_.find(polled_[i].fd); found != sockets_.end())
                found->second.seen |= polled_[i].revents;
    }

    MonoMs Now() const override { return NowMs(); }

    // The system's text; the name service's for a lookup's (negative) codes.
    std::string ErrorText(int error) const override {
        if (error < 0)
            return ::gai_strerror(error);
        char buffer[256] = {};
        return ::strerror_r(error, buffer, sizeof buffer);
    }

    int TimedOutError() const override { return ETIMEDOUT; }

    // As the Windows program's string table words it.
    std::string ClosedByPeerText() const override { return "closed by the other side"; }

    std::unique_ptr<SecureChannel> OpenSecureChannel(const std::string&, const std::string&) override {
        return std::make_unique<NoSecureChannel>();
    }

    void Remark(std::string_view peer, std::string_view detail) override {
        if (bell_->log)
            bell_->log(std::string(peer) + ": " + std::string(detail));
    }

private:
    struct SocketState {
        bool connecting = false;
        short seen = 0; // revents since the last Events
    };

    // This station has no TLS library: the connection fails at once and says why. Nothing changes
    // until the settings do, so it is tried again at a refusal's slow pace.
    class NoSecureChannel final : public SecureChannel {
    public:
        void Start() override {}
        void Received(std::string_view, std::string&) override {}
        void Seal(std::string_view) override {}
        std::string& Outgoing() override { return out_; }
        State GetState() const override { return State::Failed; }
        const std::string& Failure() const override { return failure_; }
        bool CertificateRefused() const override { return true; }

    private:
        std::string out_;
        std::string failure_ = "TLS is not available on this station";
    };

    static int PendingError(NetSocket socket) {
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_ERROR, &error, &size) != 0)
            return errno;
        return error;
    }
    static Transfer Result(ssize_t done) {
        if (done > 0)
            return {Transfer::Outcome::Moved, static_cast<std::size_t>(done), 0};
        if (done == 0)
            return {Transfer::Outcome::Ended, 0, 0};
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return {Transfer::Outcome::WouldBlock, 0, errno};
        return {Transfer::Outcome::Failed, 0, errno};
    }

    std::shared_ptr<NewsBell> bell_;
    int wake_;
    std::map<NetSocket, SocketState> sockets_;
    std::vector<pollfd> polled_;
};

// The thread, with a flag for a bounded wait: a std::thread cannot be joined with a timeout.
class NetworkSystemPosix final : public NetworkSystem {
public:
    explicit NetworkSystemPosix(std::shared_ptr<NewsBell> bell) : bell_(std::move(bell)) {}
    ~NetworkSystemPosix() override { ForgetThread(); }

    std::shared_ptr<NetworkShell> NewShell() override { return std::make_shared<NetworkShellPosix>(bell_); }

    bool StartThread(std::function<void()> run) override {
        auto ended = std::make_shared<Ended>();
        try {
            thread_ = std::thread([run = std::move(run), ended] {
                run();
                const std::lock_guard lock(ended->mutex);
                ended->done = true;
                ended->changed.notify_all();
            });
        } catch (const std::system_error& error) {
            if (bell_->log)
                bell_->log(std::string("cannot start the network thread: ") + error.what());
            return false;
        }
        ended_ = std::move(ended);
        return true;
    }
    bool HasThread() const override { return thread_.joinable(); }
    bool ThreadRunning() const override {
        if (!thread_.joinable())
            return false;
        const std::lock_guard lock(ended_->mutex);
        return !ended_->done;
    }
    bool WaitForThread(MonoMs boundMs) override {
        if (!thread_.joinable())
            return true;
        std::unique_lock lock(ended_->mutex);
        return ended_->changed.wait_for(lock, std::chrono::milliseconds(boundMs),
                                        [&] { return ended_->done; });
    }
    void ForgetThread() override {
        if (!thread_.joinable())
            return;
        // One that has not ended keeps its own share of the state and ends by itself.
        if (ThreadRunning())
            thread_.detach();
        else
            thread_.join();
    }
    void Pause() override { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }
    MonoMs Now() const override { return NowMs(); }

private:
    struct Ended {
        std::mutex mutex;
        std::condition_variable changed;
        bool done = false;
    };
    std::shared_ptr<NewsBell> bell_;
    std::thread thread_;
    std::shared_ptr<Ended> ended_;
};

} // namespace

NetworkHubPosix::NetworkHubPosix(NetworkTimes times, Notify notify, Log log)
    : NetworkHubPosix(times, std::make_shared<Bell>()) {
    bell_->notify = std::move(notify);
    bell_->log = std::move(log);
}

NetworkHubPosix::NetworkHubPosix(NetworkTimes times, std::shared_ptr<Bell> bell)
    : NetworkHub(times, std::make_unique<NetworkSystemPosix>(bell)), bell_(std::move(bell)) {}

NetworkHubPosix::~NetworkHubPosix() = default;

int NetworkHubPosix::NewsFd() const {
    return bell_->fd;
}

std::vector<std::size_t> NetworkHubPosix::TakeNews() {
    // Emptied first: news that comes meanwhile rings again.
    Silence(bell_->fd);
    return NetworkHub::TakeNews();
}
