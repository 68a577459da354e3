#include "FileText.h"
#include "KvRemoteFixture.h"

#include <gtest/gtest.h>

namespace kve2e {
namespace {

namespace fs = std::filesystem;

// The base the program's suites use; it runs only once the program and its libraries are built.
class KvRemoteFixtureTest : public KvRemoteFixture {};

TEST_F(KvRemoteFixtureTest, PreparesTheRunFolderAndEnvironment) {
    for (const char* name : {"kvRemote.exe", "KvCom.dll", "interception.dll"}) {
        EXPECT_TRUE(fs::exists(Folder() / name)) << name;
    }
    WriteIni("[Network]\r\nPort=4000\r\n");
    EXPECT_EQ(ReadFileText(IniPath()), "[Network]\r\nPort=4000\r\n");
    EXPECT_NE(SimPort(), 0);
    EXPECT_EQ(SimPort(), SimPort()) << "one port per test";
}

TEST_F(KvRemoteFixtureTest, StopEndsTheProgram) {
    WriteIni("");
    SimLog();
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, Start({"-i", IniPath().string()}).Pid());
    ASSERT_NE(h, nullptr);
    Stop();
    EXPECT_EQ(WaitForSingleObject(h, 10000), WAIT_OBJECT_0) << "kvRemote.exe outlived Stop()";
    CloseHandle(h);
}

} // namespace
} // namespace kve2e
