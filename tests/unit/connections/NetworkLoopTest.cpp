// The network hub and its loop over a shell of the test's own, on a real thread: a release posted
// before an exposure change reaches the client before it, however the thread takes its queues; a
// goodbye to a peer that never drains ends within its bound; a connect that gets no answer is given
// up with the system's text for a time-out.
#include "connections/NetworkHub.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using namespace std::chrono_literals;

MonoMs NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// What the test sets and reads of the shell and the client, under one lock.
struct Net {
    std::mutex mutex;
    std::condition_variable changed;
    bool answers = true; // connects succeed; else they never end
    bool drains = true;  // the peer reads what is sent; else the socket stays full
    bool hold = false;   // the thread stays in its wait until this is cleared
    bool holding = false;
    bool woken = false;
    std::vector<std::string> seen; // what the client was told, and what the shell did
    void Note(std::string what) {
        const std::lock_guard lock(mutex);
        seen.push_back(std::move(what));
    }
};

class FakeShell final : public NetworkShell {
public:
    explicit FakeShell(Net& net) : net_(net) {}
    void Wake() override {
        const std::lock_guard lock(net_.mutex);
        net_.woken = true;
        net_.changed.notify_all();
    }
    void Notify(std::uintptr_t) override {}
    std::shared_ptr<PendingLookup> Resolve(const std::string&, std::uint16_t) override {
        return std::make_shared<Found>();
    }
    int Connect(const Ipv4Endpoint&, NetSocket& socket) override {
        socket = 7;
        const std::lock_guard lock(net_.mutex);
        connectPending_ = net_.answers;
        return 0;
    }
    // Once connected, the peer greets: the connection works.
    int Events(NetSocket, SocketNews& news) override {
        news.connected = std::exchange(connectPending_, false);
        greeting_ = greeting_ || news.connected;
        news.readable = greeting_;
        return 0;
    }
    Transfer Receive(NetSocket, char* buffer, std::size_t) override {
        if (!std::exchange(greeting_, false))
            return {Transfer::Outcome::WouldBlock};
        buffer[0] = '!';
        return {Transfer::Outcome::Moved, 1};
    }
    Transfer Send(NetSocket, std::string_view bytes) override {
        const std::lock_guard lock(net_.mutex);
        if (!net_.drains)
            return {Transfer::Outcome::WouldBlock};
        return {Transfer::Outcome::Moved, bytes.size()};
    }
    void ShutdownSend(NetSocket) override {}
    void Close(NetSocket) override { net_.Note("closed"); }
    void Wait(std::span<const WaitFor>, MonoMs timeoutMs) override {
        std::unique_lock lock(net_.mutex);
        net_.holding = net_.hold;
        net_.changed.notify_all();
        net_.changed.wait(lock, [&] { return !net_.hold; });
        net_.holding = false;
        net_.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return net_.woken; });
        net_.woken = false;
    }
    MonoMs Now() const override { return NowMs(); }
    std::string ErrorText(int error) const override { return "system error " + std::to_string(error); }
    int TimedOutError() const override { return 110; }
    std::string ClosedByPeerText() const override { return "closed by the peer"; }
    std::unique_ptr<SecureChannel> OpenSecureChannel(const std::string&, const std::string&) override {
        return nullptr;
    }
    void Remark(std::string_view, std::string_view) override {}

private:
    struct Found final : PendingLookup {
        bool Done() const override { return true; }
        int Error() const override { return 0; }
        Ipv4Endpoint Address() const override { return {}; }
    };
    Net& net_;
    bool connectPending_ = false;
    bool greeting_ = false;
};

class FakeSystem final : public NetworkSystem {
public:
    explicit FakeSystem(Net& net) : net_(net) {}
    ~FakeSystem() override { ForgetThread(); }
    std::shared_ptr<NetworkShell> NewShell() override { return std::make_shared<FakeShell>(net_); }
    bool StartThread(std::function<void()> run) override {
        ended_ = false;
        thread_ = std::thread([this, run = std::move(run)] {
            run();
            ended_ = true;
        });
        return true;
    }
    bool HasThread() const override { return thread_.joinable(); }
    bool ThreadRunning() const override { return thread_.joinable() && !ended_; }
    bool WaitForThread(MonoMs boundMs) override {
        for (const MonoMs end = NowMs() + boundMs; ThreadRunning() && NowMs() < end;)
            std::this_thread::sleep_for(1ms);
        return !ThreadRunning();
    }
    void ForgetThread() override {
        if (thread_.joinable())
            thread_.join(); // the test's threads always end: the shell's waits are bounded
    }
    void Pause() override { std::this_thread::sleep_for(1ms); }
    MonoMs Now() const override { return NowMs(); }

private:
    Net& net_;
    std::thread thread_;
    std::atomic<bool> ended_{false};
};

class NotingClient final : public ConnectionClient {
public:
    explicit NotingClient(Net& net) : net_(net) {}
    std::string_view PeerName() const override { return "the test peer"; }
    void OnConnected(MonoMs) override { out_ = "hello"; }
    void OnReceived(std::string_view, MonoMs) override {}
    void OnClosed(MonoMs) override {}
    void OnTick(MonoMs) override {}
    void OnEvent(const DestinationEvent& event, MonoMs) override {
        net_.Note("event " + std::to_string(event.code));
        out_ += "event";
    }
    void OnExposure(const std::vector<ExposedDevice>& devices, MonoMs) override {
        net_.Note("exposure of " + std::to_string(devices.size()));
    }
    void OnGoodbye(MonoMs) override { out_ += "bye"; }
    std::string TakeOutput() override { return std::exchange(out_, {}); }
    bool WantsClose() const override { return false; }
    bool Established() const override { return true; }

private:
    Net& net_;
    std::string out_;
};

class NetworkLoopTest : public testing::Test {
protected:
    void Start() {
        std::vector<HubConnection> connections;
        connections.push_back(
            {ConnectionTarget{"peer", 1, 5000, 1000}, std::make_unique<NotingClient>(net_)});
        hub_.Start(std::move(connections));
    }
    bool WaitForState(LinkState state) {
        for (const MonoMs end = NowMs() + 5000; NowMs() < end; std::this_thread::sleep_for(5ms)) {
            hub_.TakeNews();
            if (hub_.Statuses().at(0).state == state)
                return true;
        }
        return false;
    }
    std::vector<std::string> Seen() {
        const std::lock_guard lock(net_.mutex);
        return net_.seen;
    }

    Net net_;
    NetworkHub hub_{NetworkTimes{20, 150, 500, 1000, 100}, std::make_unique<FakeSystem>(net_)};
};

TEST_F(NetworkLoopTest, AReleasePostedBeforeAnExposureChangeReachesTheClientFirst) {
    Start();
    ASSERT_TRUE(WaitForState(LinkState::Connected));
    {
        std::unique_lock lock(net_.mutex);
        net_.hold = true;
        ASSERT_TRUE(net_.changed.wait_for(lock, 5s, [&] { return net_.holding; }));
    }
    DestinationEvent release;
    release.code = 103;
    hub_.Post(release);
    hub_.SetExposure({});
    release.code = 104;
    hub_.Post(release);
    {
        const std::lock_guard lock(net_.mutex);
        net_.seen.clear();
        net_.hold = false;
        net_.changed.notify_all();
    }
    for (const MonoMs end = NowMs() + 5000; Seen().size() < 3 && NowMs() < end;)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(Seen(), (std::vector<std::string>{"event 103", "exposure of 0", "event 104"}));
}

TEST_F(NetworkLoopTest, AGoodbyeToAPeerThatNeverDrainsEndsWithinItsBound) {
    Start();
    ASSERT_TRUE(WaitForState(LinkState::Connected));
    net_.Note("full");
    {
        const std::lock_guard lock(net_.mutex);
        net_.drains = false;
    }
    DestinationEvent press;
    hub_.Post(press); // bytes that stay unsent
    const MonoMs before = NowMs();
    hub_.Goodbye(300);
    const MonoMs took = NowMs() - before;
    EXPECT_GE(took, 250) << "the goodbye waited for the bytes it could not send";
    EXPECT_LT(took, 1500);
    for (const MonoMs end = NowMs() + 5000; Seen().back() != "closed" && NowMs() < end;)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(Seen().back(), "closed") << "the thread, told to stop, closed the socket";
}

TEST_F(NetworkLoopTest, AConnectWithNoAnswerIsGivenUpWithTheSystemsTextForATimeOut) {
    {
        const std::lock_guard lock(net_.mutex);
        net_.answers = false;
    }
    const MonoMs before = NowMs();
    Start();
    ASSERT_TRUE(WaitForState(LinkState::Retrying));
    EXPECT_GE(NowMs() - before, 140);
    EXPECT_EQ(hub_.Statuses().at(0).reason, "system error 110");
    EXPECT_EQ(Seen(), (std::vector<std::string>{"exposure of 0", "closed"}));
}

} // namespace
