#include "BuildPath.h"
#include "FileText.h"
#include "RunFolder.h"

#include <gtest/gtest.h>

namespace kve2e {
namespace {

namespace fs = std::filesystem;

TEST(RunFolderTest, IsFreshPerTestHoldsCopiesAndGoesAway) {
    fs::path where;
    {
        RunFolder folder;
        where = folder.Path();
        EXPECT_EQ(where.filename(), "RunFolderTest.IsFreshPerTestHoldsCopiesAndGoesAway");
        EXPECT_TRUE(fs::is_empty(where));
        const auto copy = folder.Copy(ProgramFolder() / "console_child.exe", "renamed.exe");
        EXPECT_EQ(copy, where / "renamed.exe");
        EXPECT_EQ(fs::file_size(copy), fs::file_size(ProgramFolder() / "console_child.exe"));
        EXPECT_THROW(folder.Copy(ProgramFolder() / "missing.dll"), std::runtime_error);
        folder.Write("left.txt", "left over");
    }
    EXPECT_FALSE(fs::exists(where));
    RunFolder again("RunFolderTest.IsFreshPerTestHoldsCopiesAndGoesAway");
    EXPECT_TRUE(fs::is_empty(again.Path()));
}

TEST(FileTextTest, ReadsBytesAsWrittenAndTellsAMissingFile) {
    RunFolder folder;
    const std::string bytes("[Network]\r\nPort=4000\r\n\0tail\n", 28);
    folder.Write("kvRemote.ini", bytes);
    EXPECT_EQ(ReadFileText(folder / "kvRemote.ini"), bytes);
    EXPECT_EQ(ReadFileText(folder / "absent.ini"), std::nullopt);
    EXPECT_EQ(ReadFileText(folder.Path()), std::nullopt) << "a folder is not a file";
}

TEST(BuildPathTest, FindsBuildProductsByTheirUnixPath) {
    EXPECT_TRUE(fs::exists(BuildPath(KV_E2E_TEST_BINARY_DIR "/console_child.exe")));
    EXPECT_EQ(BuildPath("C:\\windows"), fs::path("C:\\windows"));
}

} // namespace
} // namespace kve2e
