// The network thread with a line protocol of the test's own (HELLO on connect, PRESS <code> per
// event, BYE at goodbye) against loopback peers: a port that refuses is tried again until it
// listens and the status says why meanwhile; bytes flow both ways; a peer that closes is noticed
// and told once; nothing is replayed; a held thread never holds up the caller, and a full queue
// drops the oldest events and counts them; goodbye is written before the end.
#include "MessagePump.h"
#include "base/WindowMessages.h"
#include "connections/NetworkThreadWin32.h"
#include "winfx/StringTable.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr DWORD kWaitMs = 10000;

// What the client saw, read by the test while the network thread writes it.
struct Seen {
    std::mutex mutex;
    std::string received;
    std::atomic<bool> hold{false};
    std::atomic<bool> holdRanOut{false}; // someone waited for the held thread
    HANDLE held = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~Seen() {
        ::CloseHandle(held);
        ::CloseHandle(release);
    }
    std::string Received() {
        std::lock_guard lock(mutex);
        return received;
    }
};

class LineClient : public ConnectionClient {
public:
    explicit LineClient(Seen& seen) : seen_(seen) {}
    std::string_view PeerName() const override { return "the test peer"; }
    void OnConnected(MonoMs) override {
        out_ += "HELLO\n";
        spoke_ = false;
    }
    void OnReceived(std::string_view bytes, MonoMs) override {
        std::lock_guard lock(seen_.mutex);
        seen_.received += bytes;
        spoke_ = true;
    }
    bool Established() const override { return spoke_; }
    void OnClosed(MonoMs) override {}
    void OnTick(MonoMs) override {
        if (seen_.hold.load()) {
            // The thread is busy here until the test lets it go.
            ::SetEvent(seen_.held);
            if (::WaitForSingleObject(seen_.release, kWaitMs) != WAIT_OBJECT_0)
                seen_.holdRanOut.store(true);
            seen_.hold.store(false);
        }
    }
    void OnEvent(const DestinationEvent& event, MonoMs) override {
        out_ += "PRESS " + std::to_string(event.code) + "\n";
    }
    void OnExposure(const std::vector<ExposedDevice>&, MonoMs) override { out_ += "EXPOSE\n"; }
    void OnGoodbye(MonoMs) override { out_ += "BYE\n"; }
    std::string TakeOutput() override { return std::exchange(out_, {}); }
    bool WantsClose() const override { return false; }

private:
    Seen& seen_;
    std::string out_;
    bool spoke_ = false;
};

struct Winsock {
    Winsock() {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~Winsock() { ::WSACleanup(); }
};

// A loopback listener on a port of the system's choosing.
class Listener {
public:
    Listener() { Bind(); }
    ~Listener() {
        CloseConnection();
        ::closesocket(socket_);
    }
    std::uint16_t Port() const { return port_; }
    void Listen() { ::listen(socket_, 4); }
    // Connections are refused until the next Listen.
    void StopListening() {
        ::closesocket(socket_);
        Bind();
    }
    bool Accept() {
        if (!Readable(socket_))
            return false;
        CloseConnection();
        connection_ = ::accept(socket_, nullptr, nullptr);
        return connection_ != INVALID_SOCKET;
    }
    void Send(const std::string& text) { ::send(connection_, text.data(), static_cast<int>(text.size()), 0); }
    // Reads until `until` is in what was read, or the peer closed, or the wait ran out.
    std::string ReadUntil(const std::string& until) {
        std::string text;
        char buffer[4096];
        while (text.find(until) == std::string::npos && Readable(connection_)) {
            const int got = ::recv(connection_, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(got));
        }
        return text;
    }
    void CloseConnection() {
        if (connection_ != INVALID_SOCKET)
            ::closesocket(connection_);
        connection_ = INVALID_SOCKET;
    }

private:
    // A fresh socket on the same port (the system's choice the first time).
    void Bind() {
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        const BOOL reuse = TRUE;
        ::setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof reuse);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port_);
        ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int size = sizeof address;
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    static bool Readable(SOCKET socket) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(socket, &set);
        timeval wait{static_cast<long>(kWaitMs / 1000), 0};
        return ::select(0, &set, nullptr, nullptr, &wait) == 1;
    }
    SOCKET socket_ = INVALID_SOCKET;
    SOCKET connection_ = INVALID_SOCKET;
    std::uint16_t port_ = 0;
};

class NetworkThreadTest : public testing::Test {
protected:
    NetworkThreadTest() {
        window_ =
            ::CreateWindowExA(0, "STATIC", "news", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
        hub_.SetNotifyWindow(reinterpret_cast<std::uintptr_t>(window_));
    }
    ~NetworkThreadTest() override { ::DestroyWindow(window_); }

    // Retries after firstMs, doubled up to capMs.
    void Start(std::uint16_t port, MonoMs firstMs, MonoMs capMs) {
        std::vector<HubConnection> connections;
        connections.push_back(
            {ConnectionTarget{"127.0.0.1", port, capMs, firstMs}, std::make_unique<LineClient>(seen_)});
        hub_.Start(std::move(connections));
    }
    // Takes the hub's news as the main window does, until the status is as wanted.
    bool WaitForStatus(LinkState state) {
        return uitest::PumpUntil(
            [&] {
                for (const std::size_t index : hub_.TakeNews())
                    lost_.push_back(index);
                return hub_.Statuses().at(0).state == state;
            },
            kWaitMs);
    }
    const ConnectionStatus& Status() { return hub_.Statuses().at(0); }

    Winsock winsock_;
    HWND window_ = nullptr;
    Seen seen_;
    NetworkThreadWin32 hub_{NetworkTimes{20, 2000, 500, 1000}};
    std::vector<std::size_t> lost_;
};

TEST_F(NetworkThreadTest, ARefusingPortIsTriedAgainAndTheStatusSaysWhyUntilItListens) {
    Listener listener; // bound, not listening: connections are refused
    Start(listener.Port(), 50, 200);
    ASSERT_TRUE(WaitForStatus(LinkState::Retrying)) << ConnectionStatusLine(Status(), StringTableTexts());
    const std::string where = "127.0.0.1:" + std::to_string(listener.Port());
    EXPECT_EQ(HostAndPort(Status()), where);
    EXPECT_FALSE(Status().reason.empty()) << "Windows' own text for the refusal";
    std::cout << "[ status   ] " << ConnectionStatusLine(Status(), StringTableTexts()) << "\n";

    // Still trying after several rounds: the port listens at last and is reached.
    uitest::Pump(1000);
    listener.Listen();
    ASSERT_TRUE(listener.Accept());
    EXPECT_EQ(listener.ReadUntil("HELLO\n"), "HELLO\n");
    listener.Send("WELCOME\n"); // connected once the peer speaks
    ASSERT_TRUE(WaitForStatus(LinkState::Connected));
    EXPECT_TRUE(lost_.empty()) << "a connection that never worked was not lost";
}

TEST_F(NetworkThreadTest, BytesFlowAClosedPeerIsToldOnceNothingIsReplayedAndGoodbyeIsWritten) {
    Listener listener;
    listener.Listen();
    // Long enough between attempts for the status to be seen before the next one.
    Start(listener.Port(), 500, 500);
    ASSERT_TRUE(listener.Accept());
    ASSERT_EQ(listener.ReadUntil("HELLO\n"), "HELLO\n");
    listener.Send("WELCOME\n");
    ASSERT_TRUE(uitest::PumpUntil([&] { return seen_.Received() == "WELCOME\n"; }, kWaitMs));
    ASSERT_TRUE(WaitForStatus(LinkState::Connected));
    DestinationEvent press;
    press.code = 103;
    hub_.Post(press);
    EXPECT_EQ(listener.ReadUntil("\n"), "PRESS 103\n");

    // The thread is held inside the client: nothing the caller does waits for it, and the events
    // beyond the queue's room push out the oldest.
    seen_.hold.store(true);
    ASSERT_EQ(::WaitForSingleObject(seen_.held, kWaitMs), WAIT_OBJECT_0);
    const int posted = static_cast<int>(NetworkThreadWin32::kEventQueue) + 44;
    for (int code = 1; code <= posted; ++code) {
        press.code = code;
        hub_.Post(press);
    }
    hub_.SetExposure({ExposedDevice{DEVICE_CLASS_KEYBOARDS, 5}});
    hub_.TakeNews();
    EXPECT_FALSE(seen_.holdRanOut.load()) << "the calls returned while the thread was still held";
    ::SetEvent(seen_.release);
    const std::string last = "PRESS " + std::to_string(posted) + "\n";
    const std::string flood = listener.ReadUntil("EXPOSE\n");
    EXPECT_EQ(flood.substr(0, flood.find('\n') + 1), "PRESS 45\n");
    EXPECT_TRUE(flood.ends_with(last + "EXPOSE\n"))
        << "what was posted before the exposure change goes first";
    ASSERT_TRUE(uitest::PumpUntil(
        [&] {
            hub_.TakeNews();
            return Status().dropped == 44;
        },
        kWaitMs))
        << ConnectionStatusLine(Status(), StringTableTexts());

    // The peer goes: noticed, told once, and what comes meanwhile is not sent when it is back.
    listener.StopListening();
    listener.CloseConnection();
    ASSERT_TRUE(WaitForStatus(LinkState::Retrying));
    EXPECT_EQ(Status().reason, "closed by the other side");
    EXPECT_EQ(lost_, std::vector<std::size_t>{0});
    press.code = 7;
    hub_.Post(press);
    uitest::Pump(300);
    listener.Listen();
    ASSERT_TRUE(listener.Accept());
    listener.Send("WELCOME\n");
    ASSERT_TRUE(WaitForStatus(LinkState::Connected));
    press.code = 8;
    hub_.Post(press);
    EXPECT_EQ(listener.ReadUntil("PRESS 8\n"), "HELLO\nPRESS 8\n");
    EXPECT_EQ(lost_.size(), 1u);

    hub_.Goodbye(2000);
    EXPECT_EQ(listener.ReadUntil("\x04"), "BYE\n") << "goodbye, then the end of the connection";
}

TEST_F(NetworkThreadTest, ANameThatTakesLongToFailHoldsUpNoOtherConnectionNorTheGoodbye) {
    HANDLE answer = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    NetworkThreadWin32 hub(NetworkTimes{20, 2000, 500, 1000},
                           [&](const std::string& host, std::uint16_t, sockaddr_in&) {
                               ::WaitForSingleObject(answer, kWaitMs); // a DNS server out of reach
                               return host == "broker.invalid" ? WSAHOST_NOT_FOUND : WSANO_RECOVERY;
                           });
    hub.SetNotifyWindow(reinterpret_cast<std::uintptr_t>(window_));
    Listener listener;
    listener.Listen();
    Seen slow;
    std::vector<HubConnection> connections;
    connections.push_back(
        {ConnectionTarget{"broker.invalid", 1883, 200, 50}, std::make_unique<LineClient>(slow)});
    connections.push_back(
        {ConnectionTarget{"127.0.0.1", listener.Port(), 200, 50}, std::make_unique<LineClient>(seen_)});
    hub.Start(std::move(connections));

    ASSERT_TRUE(listener.Accept()) << "the address is reached while the name is still looked up";
    ASSERT_EQ(listener.ReadUntil("HELLO\n"), "HELLO\n");

    // Exit while the name is still being looked up: the lookup is left behind, the goodbye is not.
    const auto before = std::chrono::steady_clock::now();
    hub.Goodbye(1500);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1500));
    EXPECT_EQ(listener.ReadUntil("\x04"), "BYE\n");
    ::SetEvent(answer);
    ::Sleep(50); // the lookup's thread ends before its event goes
    ::CloseHandle(answer);
}

} // namespace
