// A connection as the network thread runs it, with a recording client and time handed in: when it
// tries again, that nothing waits for a connection that is down, and that a slow socket drops the
// oldest events and says how many.
#include "connections/ConnectionSession.h"
#include "connections/DropOldestRing.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct Record {
    std::vector<int> codes; // events given to the client, by code
    std::string output;     // what the client has to write
    int connects = 0;
    MonoMs retryNotBefore = 0;
    MonoMs tickDue = 0;
    std::string spoke; // what the peer said on this connection: "hello" is the protocol
};

class RecordingClient : public ConnectionClient {
public:
    explicit RecordingClient(Record& record) : record_(record) {}
    std::string_view PeerName() const override { return "the test peer"; }
    void OnConnected(MonoMs) override {
        ++record_.connects;
        record_.spoke.clear();
    }
    void OnReceived(std::string_view bytes, MonoMs) override { record_.spoke += bytes; }
    void OnClosed(MonoMs) override {}
    void OnTick(MonoMs) override {}
    void OnEvent(const DestinationEvent& event, MonoMs) override {
        record_.codes.push_back(event.code);
        record_.output += "event\n";
    }
    void OnExposure(const std::vector<ExposedDevice>&, MonoMs) override {}
    void OnGoodbye(MonoMs) override { record_.output += "bye\n"; }
    std::string TakeOutput() override { return std::exchange(record_.output, {}); }
    bool WantsClose() const override { return false; }
    MonoMs RetryNotBefore() const override { return record_.retryNotBefore; }
    MonoMs TickDue() const override { return record_.tickDue; }
    bool Established() const override { return record_.spoke.starts_with("hello"); }
    std::string Mismatch() const override {
        return record_.spoke.empty() || Established() ? "" : "not a test port";
    }

private:
    Record& record_;
};

DestinationEvent Press(int code) {
    DestinationEvent event;
    event.code = code;
    return event;
}

ConnectionSession MakeSession(Record& record, MonoMs capMs = 5000) {
    ConnectionTarget target{"127.0.0.1", 16622, capMs};
    return ConnectionSession(target, std::make_unique<RecordingClient>(record), 0);
}

// The times of the attempts over `until` ms when every attempt fails at once.
std::vector<MonoMs> AttemptTimes(ConnectionSession& session, MonoMs until) {
    std::vector<MonoMs> times;
    for (MonoMs now = 0; now <= until; now += 10)
        if (session.AttemptDue(now)) {
            times.push_back(now);
            session.Attempting();
            session.Failed("refused", now);
        }
    return times;
}

TEST(ConnectionSession, RetriesAfterOneTwoFourSecondsThenAtMostTheCapAndAgainFromOneOnceThePeerAnswered) {
    Record record;
    ConnectionSession companion = MakeSession(record, 5000);
    EXPECT_EQ(AttemptTimes(companion, 22000),
              (std::vector<MonoMs>{0, 1000, 3000, 7000, 12000, 17000, 22000}));
    ConnectionSession broker = MakeSession(record, 10000);
    EXPECT_EQ(AttemptTimes(broker, 35000), (std::vector<MonoMs>{0, 1000, 3000, 7000, 15000, 25000, 35000}));

    // A peer that answers in another protocol: retried on the schedule, named, never lost.
    ConnectionSession session = MakeSession(record, 5000);
    AttemptTimes(session, 3000);
    ASSERT_TRUE(session.AttemptDue(7000));
    session.Attempting();
    session.Connected(7000);
    EXPECT_EQ(session.Status().state, LinkState::Retrying) << "a socket alone is no connection";
    session.Received("HTTP/1.1 400 Bad Request\r\n", 7010);
    session.Failed("closed by the other side", 7020);
    EXPECT_EQ(session.Status().reason, "not a test port");
    EXPECT_FALSE(session.TakeLost());
    EXPECT_FALSE(session.AttemptDue(12010)) << "the back-off goes on";

    // A peer that spoke the protocol and then went: the schedule starts over.
    ASSERT_TRUE(session.AttemptDue(12020));
    session.Attempting();
    session.Connected(12000);
    session.Received("hello", 12010);
    EXPECT_EQ(session.Status().state, LinkState::Connected);
    session.Failed("", 13000);
    EXPECT_FALSE(session.AttemptDue(13990));
    EXPECT_TRUE(session.AttemptDue(14000));
    EXPECT_TRUE(session.TakeLost()) << "a connection that worked was lost: the user is told, once";
    EXPECT_FALSE(session.TakeLost());

    // A refusal that asks for a longer wait gets it.
    record.retryNotBefore = 60000;
    session.Attempting();
    session.Failed("refused", 14000);
    EXPECT_FALSE(session.AttemptDue(59990));
    EXPECT_TRUE(session.AttemptDue(60000));
    EXPECT_EQ(session.Status().state, LinkState::Retrying);
    EXPECT_EQ(session.Status().reason, "refused");
}

TEST(ConnectionSession, NothingIsReplayedAfterTheConnectionComesBack) {
    Record record;
    ConnectionSession session = MakeSession(record);
    session.Post(Press(1), 0); // before the first connection
    session.Attempting();
    session.Connected(10);
    session.Post(Press(2), 20);
    // Presses the socket has not taken yet when the connection goes.
    session.Post(Press(3), 30);
    session.Post(Press(4), 30);
    ASSERT_FALSE(session.Unsent().empty());
    session.Failed("reset", 40);
    session.Post(Press(5), 50); // while down
    ASSERT_TRUE(session.AttemptDue(1040));
    session.Attempting();
    session.Connected(1040);
    session.Post(Press(6), 1050);
    EXPECT_EQ(record.codes, (std::vector<int>{2, 3, 4, 6}))
        << "events while down never reach the client, and none comes twice";
    EXPECT_EQ(session.Unsent(), "event\n") << "what was unsent when the connection went is gone";
    EXPECT_EQ(record.connects, 2);
    // While connected the thread wakes at its pace, or sooner when the client has a moment due.
    EXPECT_EQ(session.NextWake(1100, 100), 1200);
    record.tickDue = 1130;
    EXPECT_EQ(session.NextWake(1100, 100), 1130);
}

TEST(ConnectionSession, ASlowSocketDropsTheOldestEventsAndTheStatusCountsThem) {
    Record record;
    ConnectionSession session = MakeSession(record);
    session.Attempting();
    session.Connected(0);
    // The client has a large write pending that the socket does not take yet.
    record.output = std::string(ConnectionSession::kFeedBelowBytes, 'x');
    session.Tick(0);
    const int posted = static_cast<int>(ConnectionSession::kPendingEvents) + 3;
    for (int code = 1; code <= posted; ++code)
        session.Post(Press(code), 0);
    EXPECT_TRUE(record.codes.empty());
    // The socket takes everything now: the newest events go out, in order.
    while (!session.Unsent().empty())
        session.Written(session.Unsent().size(), 10);
    ASSERT_EQ(record.codes.size(), ConnectionSession::kPendingEvents);
    EXPECT_EQ(record.codes.front(), 4);
    EXPECT_EQ(record.codes.back(), posted);
    EXPECT_EQ(session.Status().dropped, 3u);

    // The same between the threads: the ring keeps the newest and counts what it lost.
    DropOldestRing<DestinationEvent, 4> ring;
    for (int code = 1; code <= 6; ++code)
        ring.Push(Press(code));
    std::uint64_t lost = 0;
    std::vector<int> taken;
    while (const auto event = ring.Pop(lost))
        taken.push_back(event->code);
    EXPECT_EQ(taken, (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(lost, 2u);

    // Goodbye: written after what is pending, then the connection is finished.
    session.Post(Press(200), 20);
    session.Goodbye(20);
    EXPECT_EQ(session.Unsent(), "event\nbye\n");
    EXPECT_FALSE(session.Finished());
    session.Written(session.Unsent().size(), 30);
    EXPECT_TRUE(session.Finished());
}

TEST(DropOldestRing, AReaderRacingTheWriterGetsWholeEventsInOrderAndCountsEveryOneItMissed) {
    DropOldestRing<DestinationEvent, 64> ring;
    constexpr int kEvents = 200000;
    std::thread writer([&] {
        for (int code = 1; code <= kEvents; ++code) {
            DestinationEvent event = Press(code);
            event.delta = -code;
            ring.Push(event);
        }
    });
    std::uint64_t lost = 0;
    int taken = 0, last = 0;
    bool whole = true, ordered = true;
    while (last < kEvents) // the newest is never written over
        if (const auto event = ring.Pop(lost)) {
            whole = whole && event->delta == -event->code;
            ordered = ordered && event->code > last;
            last = event->code;
            ++taken;
        }
    writer.join();
    EXPECT_TRUE(whole) << "no event read half old, half new";
    EXPECT_TRUE(ordered);
    EXPECT_EQ(taken + lost, static_cast<std::uint64_t>(kEvents));
}

} // namespace
