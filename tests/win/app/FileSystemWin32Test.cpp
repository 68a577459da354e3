#include "app/CommandLine.h"
#include "app/ConfigLocation.h"
#include "app/FileSystemWin32.h"
#include "app/ProcessArgumentsWin32.h"
#include "FakeTexts.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {

const FakeTexts kTexts{
    {IDS_BAD_INI_NAME, "Invalid file name given to -i / --alternate-ini: \"%s\""},
    {IDS_BAD_ALTERNATE_DIR, "Invalid or inaccessible directory given to -a / --alternate-appdata: \"%s\""}};

class FileSystemWin32Test : public ::testing::Test {
protected:
    void SetUp() override {
        char buffer[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, buffer);
        root = std::string(buffer) + "kvapp-fs-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }
    void TearDown() override {
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            RemoveDirectoryA(it->c_str());
    }
    FileSystemWin32 fs;
    std::string root;
    std::vector<std::string> made; // removed in reverse order
};

TEST_F(FileSystemWin32Test, CreatesEveryFolderOnThePath) {
    made = {root, root + "\\a", root + "\\a\\b"};
    CreateFolderPath(root + "\\a\\b\\file.ini", fs);
    EXPECT_EQ(fs.Attributes(root + "\\a\\b"), FileSystem::Kind::Directory);
    EXPECT_FALSE(fs.Found(root + "\\a\\b\\file.ini"));
    EXPECT_EQ(fs.Attributes(root + "\\a\\b\\file.ini"), FileSystem::Kind::Missing);
}

TEST_F(FileSystemWin32Test, AlternateDirectoryIsCreatedAndChecked) {
    made = {root, root + "\\new", root + "\\new\\dir", root + "\\new\\dir\\cfg"};
    std::string message;
    EXPECT_TRUE(CheckCommandLine("", root + "\\new\\dir", fs, kTexts, message)) << message;
    ConfigLocation location = ResolveIniPath("", root + "\\new\\dir", fs);
    EXPECT_EQ(location.iniPath, root + "\\new\\dir\\cfg\\kvRemote.ini");
    EXPECT_EQ(fs.Attributes(location.configFolder), FileSystem::Kind::Directory);
}

TEST_F(FileSystemWin32Test, FileGivenAsAlternateDirectoryIsRefused) {
    made = {root};
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
    std::string file = root + "\\plain.txt";
    HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    EXPECT_EQ(fs.Attributes(file), FileSystem::Kind::File);
    EXPECT_TRUE(fs.Found(file));
    std::string message;
    EXPECT_FALSE(CheckCommandLine("", file, fs, kTexts, message));
    EXPECT_EQ(message,
              "Invalid or inaccessible directory given to -a / --alternate-appdata: \"" + file + "\"");
    DeleteFileA(file.c_str());
}

TEST_F(FileSystemWin32Test, SystemFoldersAreKnown) {
    std::optional<std::string> shared = fs.CommonAppDataFolder();
    ASSERT_TRUE(shared.has_value());
    EXPECT_FALSE(shared->empty());
    EXPECT_EQ(fs.Attributes(*shared), FileSystem::Kind::Directory);
    EXPECT_EQ(fs.Attributes(fs.WindowsFolder()), FileSystem::Kind::Directory);
}

TEST(ProcessArgumentsWin32, StartWithTheProgram) {
    std::vector<std::string> args = ProcessArguments();
    ASSERT_FALSE(args.empty());
    EXPECT_NE(args[0].find("app_win_tests"), std::string::npos) << args[0];
}

} // namespace
