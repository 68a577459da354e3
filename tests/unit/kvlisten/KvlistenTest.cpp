// kvlisten as a receiver author uses it: lines and malformed datagrams sent on loopback come out
// as JSON or text, filters and --count/--timeout end it with the documented exit codes, two
// listeners share a port, and Ctrl+C ends it cleanly.
#include "remote/RemoteLine.h"
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <regex>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

unsigned short FreePort() {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    socklen_t size = sizeof at;
    bind(s, reinterpret_cast<sockaddr*>(&at), size);
    getsockname(s, reinterpret_cast<sockaddr*>(&at), &size);
    close(s);
    return ntohs(at.sin_port);
}

void Send(unsigned short port, const std::string& bytes, const char* to = "127.0.0.1") {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    setsockopt(s, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(port);
    inet_pton(AF_INET, to, &at.sin_addr);
    sendto(s, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&at), sizeof at);
    close(s);
}

// kvlisten as a child process; its stdout and stderr come back line by line.
class Kvlisten {
public:
    explicit Kvlisten(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            dup2(out[1], 2);
            std::vector<char*> argv{const_cast<char*>(KVLISTEN_PATH)};
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(KVLISTEN_PATH, argv.data());
            _exit(127);
        }
        close(out[1]);
        fd_ = out[0];
        EXPECT_NE(NextLine().find("listening on UDP port"), std::string::npos);
    }
    ~Kvlisten() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(fd_);
    }
    // The next line of output, "" when none came within 20 s or the output ended.
    std::string NextLine() {
        while (true) {
            if (const size_t nl = buffered_.find('\n'); nl != std::string::npos) {
                std::string line = buffered_.substr(0, nl);
                buffered_.erase(0, nl + 1);
                return line;
            }
            pollfd p{fd_, POLLIN, 0};
            char chunk[4096];
            const ssize_t n = poll(&p, 1, 20000) == 1 ? read(fd_, chunk, sizeof chunk) : 0;
            if (n <= 0)
                return "";
            buffered_.append(chunk, static_cast<size_t>(n));
        }
    }
    void Signal(int sig) { kill(pid_, sig); }
    int ExitCode() {
        int raw = 0;
        waitpid(pid_, &raw, 0);
        status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 1000 + WTERMSIG(raw);
        return status_;
    }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    int status_ = -1;
    std::string buffered_;
};

// The JSON object without its "time" and "from", which vary.
std::string Fields(const std::string& json) {
    static const std::regex head(
        R"re(^\{"time":"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}","from":"127\.0\.0\.1:\d+",)re");
    std::smatch m;
    return std::regex_search(json, m, head) ? "{" + m.suffix().str() : "no time and sender: " + json;
}

TEST(Kvlisten, PrintsLinesAndRefusedDatagramsAsJson) {
    const unsigned short port = FreePort();
    Kvlisten listen({"--json", "--port", std::to_string(port), "--count", "3", "--timeout", "60"});
    Send(port, FormatRemoteLine("ST\xC9", "RIG", "AUXMOUSE/1024/-120/7"));
    EXPECT_EQ(
        Fields(listen.NextLine()),
        R"({"app":"ST\u00C9","destination":"RIG","command":"AUXMOUSE","code":1024,"value":-120,"index":7,)"
        R"("raw":"REMOTE: \"ST\u00C9\" \"RIG\" \"AUXMOUSE/1024/-120/7\" 1"})");
    Send(port, std::string("REMOTE: \"A\" \"\" \"K/1/0/0\" 1\r\n\0\x7f\\", 31));
    EXPECT_EQ(
        Fields(listen.NextLine()),
        R"({"error":"holds a NUL byte","raw":"REMOTE: \"A\" \"\" \"K/1/0/0\" 1\u000D\u000A\u0000\u007F\\"})");
    Send(port, FormatRemoteLine("", "", "AUXKEYB/103/0/5"));
    EXPECT_EQ(Fields(listen.NextLine()),
              R"({"app":"REMOTE","destination":"","command":"AUXKEYB","code":103,"value":0,"index":5,)"
              R"("raw":"REMOTE: \"REMOTE\" \"\" \"AUXKEYB/103/0/5\" 1"})");
    EXPECT_EQ(listen.ExitCode(), 0);
}

TEST(Kvlisten, FiltersPrintTextAndTimeOut) {
    const unsigned short port = FreePort();
    Kvlisten listen({"--port", std::to_string(port), "--app", "STN2", "--destination", "", "--count", "2",
                     "--timeout", "3"});
    Send(port, FormatRemoteLine("STN3", "", "AUXKEYB/65/1/3"));
    Send(port, FormatRemoteLine("STN2", "RIG", "AUXKEYB/65/1/3"));
    Send(port, "REMOTE: \"STN2\" \"\" garbage");
    Send(port, FormatRemoteLine("STN2", "", "AUXKEYB/65/\xFF/3")); // not a number: refused, filtered
    Send(port, FormatRemoteLine("STN2", "", "AUXKEYB/65/1/3"));
    const std::string line = listen.NextLine();
    EXPECT_TRUE(
        std::regex_match(line, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  127\.0\.0\.1:\d+  )"
                                          R"(REMOTE: "STN2" "" "AUXKEYB/65/1/3" 1)")))
        << line;
    EXPECT_NE(listen.NextLine().find("time-out after 1 datagram"), std::string::npos);
    EXPECT_EQ(listen.ExitCode(), 1);
}

TEST(Kvlisten, ShowsWhyATextLineIsRefusedAndEndsOnCtrlC) {
    const unsigned short port = FreePort();
    Kvlisten listen({"--port", std::to_string(port)});
    Send(port, "REMOTE: \"A\" \"\" \"K/1/0/05\" 1\t\xE9");
    EXPECT_NE(listen.NextLine().find(R"(  not a REMOTE line (bytes after the trailing 1): )"
                                     R"(REMOTE: "A" "" "K/1/0/05" 1\x09\xE9)"),
              std::string::npos);
    listen.Signal(SIGINT);
    EXPECT_EQ(listen.ExitCode(), 130);
}

TEST(Kvlisten, TwoListenersOnOnePortBothHearABroadcast) {
    const unsigned short port = FreePort();
    Kvlisten first({"--port", std::to_string(port), "--count", "1", "--timeout", "60"});
    Kvlisten second({"--port", std::to_string(port), "--count", "1", "--timeout", "60"});
    Send(port, FormatRemoteLine("", "", "AUXKEYB/36/0/1"), "127.255.255.255");
    EXPECT_NE(first.NextLine().find("AUXKEYB/36/0/1"), std::string::npos);
    EXPECT_NE(second.NextLine().find("AUXKEYB/36/0/1"), std::string::npos);
    EXPECT_EQ(first.ExitCode(), 0);
    EXPECT_EQ(second.ExitCode(), 0);
}

} // namespace
