#include "app/ConfigLocation.h"
#include "FakeFileSystem.h"
#include <gtest/gtest.h>

namespace {

using Kind = FileSystem::Kind;
using Paths = std::vector<std::string>;

TEST(CreateFolderPath, CreatesEachMissingFolderButNotDriveOrFile) {
    FakeFileSystem fs;
    fs.entries = {{"C:\\a", Kind::Directory}};
    CreateFolderPath("C:\\a\\b\\c\\file.ini", fs);
    EXPECT_EQ(fs.created, (Paths{"C:\\a\\b", "C:\\a\\b\\c"}));
}

TEST(CreateFolderPath, PathsWithoutFoldersCreateNothing) {
    for (const char* path : {"", "name.ini", "C:\\", "C:\\file.ini", "cfg\\"}) {
        FakeFileSystem fs;
        CreateFolderPath(path, fs);
        EXPECT_TRUE(fs.created.empty()) << path;
    }
}

TEST(CreateFolderPath, ExistingFileIsLeftAlone) {
    FakeFileSystem fs;
    fs.entries = {{"C:\\a", Kind::File}};
    CreateFolderPath("C:\\a\\b\\", fs);
    EXPECT_EQ(fs.created, (Paths{"C:\\a\\b"}));
}

TEST(CreateFolderPath, StopsAtFoldersLongerThanAPath) {
    FakeFileSystem fs;
    std::string longName(300, 'x');
    CreateFolderPath("C:\\a\\" + longName + "\\b\\", fs);
    EXPECT_EQ(fs.created, (Paths{"C:\\a"}));
}

TEST(ResolveIniPath, DefaultLocationUnderSharedFolder) {
    FakeFileSystem fs;
    fs.entries = {{"C:\\ProgramData", Kind::Directory}};
    ConfigLocation location = ResolveIniPath("", "", fs);
    EXPECT_EQ(location.iniPath, "C:\\ProgramData\\Korvane\\cfg\\kvRemote.ini");
    EXPECT_EQ(location.configFolder, "C:\\ProgramData\\Korvane\\cfg\\");
    EXPECT_EQ(fs.created, (Paths{"C:\\ProgramData\\Korvane", "C:\\ProgramData\\Korvane\\cfg"}));
}

TEST(ResolveIniPath, IniNameIsUsedAloneWithoutFolders) {
    FakeFileSystem fs;
    ConfigLocation location = ResolveIniPath("my.ini", "D:\\alt", fs);
    EXPECT_EQ(location.iniPath, "my.ini");
    EXPECT_TRUE(fs.created.empty());
}

TEST(ResolveIniPath, AlternateDirectoryWithOrWithoutBackslash) {
    for (const char* dir : {"D:\\new\\dir", "D:\\new\\dir\\"}) {
        FakeFileSystem fs;
        ConfigLocation location = ResolveIniPath("", dir, fs);
        EXPECT_EQ(location.iniPath, "D:\\new\\dir\\cfg\\kvRemote.ini") << dir;
        EXPECT_EQ(fs.created, (Paths{"D:\\new", "D:\\new\\dir", "D:\\new\\dir\\cfg"})) << dir;
    }
}

TEST(ResolveIniPath, FailedSharedFolderQueryUsesRootOfCurrentDrive) {
    FakeFileSystem fs;
    fs.commonAppData = std::string();
    ConfigLocation location = ResolveIniPath("", "", fs);
    EXPECT_EQ(location.iniPath, "\\Korvane\\cfg\\kvRemote.ini");
    EXPECT_EQ(fs.created, (Paths{"\\Korvane", "\\Korvane\\cfg"}));
}

TEST(ResolveIniPath, MissingSharedFolderQueryUsesWorkingDirectory) {
    FakeFileSystem fs;
    fs.commonAppData = std::nullopt;
    ConfigLocation location = ResolveIniPath("", "", fs);
    EXPECT_EQ(location.iniPath, "cfg\\kvRemote.ini");
    EXPECT_TRUE(fs.created.empty());
}

} // namespace
