#include "SimDriverFixture.h"

#include <winsock2.h>

#include <fstream>
#include <sstream>

namespace {

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name + std::to_string(GetCurrentProcessId());
}

sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

} // namespace

void SimDriverTest::SetUpTestSuite() {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
}

void SimDriverTest::TearDownTestSuite() {
    WSACleanup();
}

void SimDriverTest::SetUp() {
    devicesPath_ = TempPath("kvsim-devices-");
    logPath_ = TempPath("kvsim-log-");
    DeleteFileA(logPath_.c_str());
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in local = Loopback(0);
    bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local);
    int length = sizeof local;
    getsockname(s, reinterpret_cast<sockaddr*>(&local), &length);
    socket_ = s;
    // The driver's port: a second free one, found the same way.
    const SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in free = Loopback(0);
    bind(probe, reinterpret_cast<sockaddr*>(&free), sizeof free);
    length = sizeof free;
    getsockname(probe, reinterpret_cast<sockaddr*>(&free), &length);
    port_ = ntohs(free.sin_port);
    closesocket(probe);
}

void SimDriverTest::TearDown() {
    Close();
    closesocket(static_cast<SOCKET>(socket_));
    DeleteFileA(devicesPath_.c_str());
    DeleteFileA(logPath_.c_str());
}

void SimDriverTest::WriteDevices(const std::string& devices) {
    std::ofstream(devicesPath_, std::ios::binary) << devices;
    SetEnvironmentVariableA("KVSIM_DEVICES", devicesPath_.c_str());
    SetEnvironmentVariableA("KVSIM_PORT", std::to_string(port_).c_str());
    SetEnvironmentVariableA("KVSIM_LOG", logPath_.c_str());
}

void SimDriverTest::Open(const std::string& devices) {
    WriteDevices(devices);
    context = api.create_context();
    ASSERT_NE(context, nullptr);
    Inject("reset-log");
    EXPECT_EQ(Ask("ping?"), "pong\n"); // the reset is done before the test adds to the record
}

void SimDriverTest::Close() {
    if (context)
        api.destroy_context(context);
    context = nullptr;
}

void SimDriverTest::Inject(const std::string& line) {
    const sockaddr_in to = Loopback(port_);
    sendto(static_cast<SOCKET>(socket_), line.data(), static_cast<int>(line.size()), 0,
           reinterpret_cast<const sockaddr*>(&to), sizeof to);
}

std::string SimDriverTest::Ask(const std::string& line) {
    Inject(line);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(static_cast<SOCKET>(socket_), &readable);
    timeval limit{10, 0};
    if (select(0, &readable, nullptr, nullptr, &limit) != 1) {
        ADD_FAILURE() << "no answer to " << line;
        return {};
    }
    std::string answer(65536, '\0');
    const int n = recv(static_cast<SOCKET>(socket_), answer.data(), static_cast<int>(answer.size()), 0);
    answer.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return answer;
}

std::vector<std::string> SimDriverTest::Record() {
    std::istringstream text(Ask("log?"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}
