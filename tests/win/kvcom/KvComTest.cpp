// KvCom.dll against a real receiver on loopback: what arrives, in which order, and what does not.
#include "kvcom/KvCom.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>

#include <optional>
#include <string>

namespace {

// A datagram receiver bound to 0.0.0.0 on a free port, so it also gets loopback broadcasts.
class Receiver {
public:
    Receiver() {
        socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        bind(socket_, reinterpret_cast<sockaddr*>(&any), sizeof any);
        int length = sizeof any;
        getsockname(socket_, reinterpret_cast<sockaddr*>(&any), &length);
        port_ = ntohs(any.sin_port);
    }
    ~Receiver() { closesocket(socket_); }
    int Port() const { return port_; }

    std::optional<std::string> Receive(int waitMs = 5000) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &limit) != 1)
            return std::nullopt;
        std::string data(65536, '\0');
        const int n = recv(socket_, data.data(), static_cast<int>(data.size()), 0);
        if (n < 0)
            return std::nullopt;
        data.resize(static_cast<size_t>(n));
        return data;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

class KvComTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(1, 1), &data), 0);
    }
    static void TearDownTestSuite() { WSACleanup(); }
    void TearDown() override { KVCOM_close(); }

    static constexpr unsigned kLinkNotify = 1025;
};

TEST_F(KvComTest, LinesArriveWholeAndInOrderOnEveryLoopbackAddress) {
    const std::string longLine(1000, 'x');
    const std::string lines[] = {"REMOTE//AUXKEYB/103/0/5", "second line", longLine,
                                 "REMOTE//AUXMOUSE/1024/-120/2"};
    for (const char* address : {"127.0.0.1", "127.255.255.255"}) {
        SCOPED_TRACE(address);
        Receiver receiver;
        ASSERT_EQ(KVCOM_init(nullptr, kLinkNotify, address, receiver.Port()), KVCOM_OK);
        for (const std::string& line : lines)
            EXPECT_EQ(KVCOM_send(line.c_str()), KVCOM_OK);
        for (const std::string& line : lines)
            EXPECT_EQ(receiver.Receive(), line);
        EXPECT_EQ(KVCOM_close(), KVCOM_OK);
    }
}

TEST_F(KvComTest, CloseWithNothingOpenIsHarmless) {
    EXPECT_EQ(KVCOM_close(), KVCOM_OK);
    EXPECT_EQ(KVCOM_close(), KVCOM_OK);
    EXPECT_EQ(KVCOM_send("nothing open"), KVCOM_E_NOT_OPEN);
}

// The marker sent on a live link must be the next datagram: anything sent without a link would
// have arrived before it.
TEST_F(KvComTest, NothingIsSentBeforeInitOrAfterClose) {
    Receiver receiver;
    EXPECT_EQ(KVCOM_send("before init"), KVCOM_E_NOT_OPEN);
    ASSERT_EQ(KVCOM_init(nullptr, kLinkNotify, "127.0.0.1", receiver.Port()), KVCOM_OK);
    KVCOM_send("while open");
    KVCOM_close();
    EXPECT_EQ(KVCOM_send("after close"), KVCOM_E_NOT_OPEN);
    ASSERT_EQ(KVCOM_init(nullptr, kLinkNotify, "127.0.0.1", receiver.Port()), KVCOM_OK);
    KVCOM_send("marker");
    EXPECT_EQ(receiver.Receive(), "while open");
    EXPECT_EQ(receiver.Receive(), "marker");
}

TEST_F(KvComTest, ReinitMovesTheTrafficToTheNewPort) {
    Receiver first, second;
    ASSERT_EQ(KVCOM_init(nullptr, kLinkNotify, "127.0.0.1", first.Port()), KVCOM_OK);
    KVCOM_send("one");
    KVCOM_close();
    ASSERT_EQ(KVCOM_init(nullptr, kLinkNotify, "127.255.255.255", second.Port()), KVCOM_OK);
    KVCOM_send("two");
    // init over an open link replaces it
    ASSERT_EQ(KVCOM_init(nullptr, kLinkNotify, "127.0.0.1", first.Port()), KVCOM_OK);
    KVCOM_send("three");
    EXPECT_EQ(first.Receive(), "one");
    EXPECT_EQ(first.Receive(), "three");
    EXPECT_EQ(second.Receive(), "two");
    EXPECT_EQ(second.Receive(300), std::nullopt);
}

TEST_F(KvComTest, BadParametersLeaveNoLinkOpen) {
    struct Row {
        const char* address;
        int port;
        int expected;
    };
    const Row rows[] = {
        {"", 9871, KVCOM_E_ADDRESS},           {"127.0.0", 9871, KVCOM_E_ADDRESS},
        {"256.0.0.1", 9871, KVCOM_E_ADDRESS},  {"127.0.0.1 ", 9871, KVCOM_E_ADDRESS},
        {"0x7f.0.0.1", 9871, KVCOM_E_ADDRESS}, {nullptr, 9871, KVCOM_E_ADDRESS},
        {"127.0.0.1", 0, KVCOM_E_PORT},        {"127.0.0.1", 65536, KVCOM_E_PORT},
        {"127.0.0.1", -1, KVCOM_E_PORT},
    };
    Receiver receiver;
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.address ? row.address : "(null)") + " port " + std::to_string(row.port));
        // a failed init also ends the link that was open before it
        ASSERT_EQ(KVCOM_init(nullptr, kLinkNotify, "127.0.0.1", receiver.Port()), KVCOM_OK);
        EXPECT_EQ(KVCOM_init(nullptr, kLinkNotify, row.address, row.port), row.expected);
        EXPECT_EQ(KVCOM_send("must not go out"), KVCOM_E_NOT_OPEN);
    }
    EXPECT_EQ(KVCOM_send(nullptr), KVCOM_E_NOT_OPEN);
    ASSERT_EQ(KVCOM_init(nullptr, kLinkNotify, "127.0.0.1", receiver.Port()), KVCOM_OK);
    EXPECT_EQ(KVCOM_send(nullptr), KVCOM_E_SEND);
    KVCOM_send("marker");
    EXPECT_EQ(receiver.Receive(), "marker");
}

} // namespace
