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

} // namespace

void SimDriverTest::SetUpTestSuite() {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
}

void SimDriverTest::TearDownTestSuite() {
    WSACleanup();
}

void SimDriverTest::SetUp() {
    // The simulated library beside the suite, bound by name as the program binds it.
    ASSERT_EQ(InterceptionDriverStatus().state, DriverLibraryState::Bound) << InterceptionDriverStatus().path;
    devicesPath_ = TempPath("kvsim-devices-");
    logPath_ = TempPath("kvsim-log-");
    DeleteFileA(logPath_.c_str());
    injector_.emplace();
}

void SimDriverTest::TearDown() {
    Close();
    injector_.reset();
    DeleteFileA(devicesPath_.c_str());
    DeleteFileA(logPath_.c_str());
}

void SimDriverTest::WriteDevices(const std::string& devices) {
    std::ofstream(devicesPath_, std::ios::binary) << devices;
    SetEnvironmentVariableA("KVSIM_DEVICES", devicesPath_.c_str());
    SetEnvironmentVariableA("KVSIM_PORT", std::to_string(injector_->DriverPort()).c_str());
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
    injector_->Send(line);
}

std::string SimDriverTest::Ask(const std::string& line) {
    return injector_->Ask(line);
}

std::vector<std::string> SimDriverTest::Record() {
    std::istringstream text(Ask("log?"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}
