#include "settings/IniProfileStore.h"
#include "TempDir.h"
#include <gtest/gtest.h>

namespace {

class IniProfileStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string Read(const std::string& content, const char* section, const char* key,
                     const char* def = "dflt") {
        return IniProfileStore(dir.Write("read.ini", content)).Read(section, key, def);
    }
};

// The common reading rules are checked against the Windows functions in the Wine suite; these are
// the less common lines.
TEST_F(IniProfileStoreTest, ReadsUnusualLines) {
    struct Case {
        const char* content;
        const char* section;
        const char* expected;
    } cases[] = {
        {"[Network]\rPort=9000\r", "Network", "9000"}, // CR alone ends a line too
        {"[Network]\r\nPort='q'\r\n", "Network", "q"}, // single quotes as well
        {"[Network]\r\nA=1\r\n[Other]\r\nPort=5\r\n", "Network", "dflt"},
        {"Port=5\r\n[Network]\r\n", "Network", "dflt"},              // keys before any section
        {"[Network]\r\n;Port=5\r\nPort\r\n", "Network", "dflt"},     // comment, key without '='
        {"[Network]\r\n[Network]\r\nPort=5\r\n", "Network", "dflt"}, // only the first section counts
        {"\xEF\xBB\xBF[Network]\r\nPort=3\r\n", "Network", "3"},
        {"[Net]work]\r\nPort=4\r\n", "Net]work", "4"},
        {"", "Network", "dflt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.content, c.section, "Port"), c.expected) << c.content;
}

TEST_F(IniProfileStoreTest, MissingFileGivesDefaultWithoutTrailingBlanks) {
    IniProfileStore store(dir.File("none.ini"));
    EXPECT_EQ(store.Read("Network", "Port", "9871"), "9871");
    EXPECT_EQ(store.Read("Network", "Port", "x  "), "x");
}

TEST_F(IniProfileStoreTest, LongValuesAreCut) {
    std::string value(1500, 'v');
    EXPECT_EQ(Read("[S]\r\nK=" + value + "\r\n", "S", "K"), std::string(1022, 'v'));
    EXPECT_EQ(Read("[S]\r\nK=\"" + value + "\"\r\n", "S", "K"), std::string(1022, 'v'));
    EXPECT_EQ(IniProfileStore(dir.File("none.ini")).Read("S", "K", value), std::string(1022, 'v'));
}

TEST_F(IniProfileStoreTest, WritesCreateFileAndSectionsInOrder) {
    IniProfileStore store(dir.File("new.ini"));
    EXPECT_TRUE(store.Write("Network", "BroadcastAddress", "10.0.0.255"));
    EXPECT_TRUE(store.Write("Network", "Port", "9871"));
    EXPECT_TRUE(store.Write("RemoteCmd", "Destination", ""));
    EXPECT_TRUE(store.Write("network", "port", "1"));
    EXPECT_EQ(TempDir::Contents(store.Path()),
              "[Network]\r\nBroadcastAddress=10.0.0.255\r\nPort=1\r\n[RemoteCmd]\r\nDestination=\r\n");
}

TEST_F(IniProfileStoreTest, WritesKeepOtherLinesAndLineEnds) {
    std::string path = dir.Write("keep.ini", "; comment\n[A]\nx = 1\n\n[B]\ny=2");
    IniProfileStore store(path);
    EXPECT_TRUE(store.Write("A", "z", "3"));
    EXPECT_TRUE(store.Write("B", "w", "4"));
    EXPECT_TRUE(store.Write("A", "X", "9"));
    EXPECT_EQ(TempDir::Contents(path), "; comment\n[A]\nx=9\nz=3\n\n[B]\ny=2\nw=4\n");
}

TEST_F(IniProfileStoreTest, WrittenValuesReadBack) {
    IniProfileStore store(dir.File("rt.ini"));
    std::pair<std::string, std::string> cases[] = {{"", ""},
                                                   {"plain", "plain"},
                                                   {"with = sign", "with = sign"},
                                                   {"  lead", "lead"},
                                                   {std::string(1022, 'z'), std::string(1022, 'z')}};
    for (const auto& [written, read] : cases) {
        ASSERT_TRUE(store.Write("S", "K", written));
        EXPECT_EQ(store.Read("S", "K", "dflt"), read);
    }
}

TEST_F(IniProfileStoreTest, DeletesKeysAndSections) {
    std::string path = dir.Write(
        "del.ini", "[K]\r\nDevice1=1\r\nUseAux=1\r\nDevice1=2\r\n[M]\r\nA=1\r\n[k]\r\nDevice1=3\r\n");
    IniProfileStore store(path);
    EXPECT_TRUE(store.DeleteKey("K", "DEVICE1"));
    EXPECT_EQ(store.Read("K", "Device1", "gone"), "gone");
    EXPECT_EQ(store.Read("K", "UseAux", ""), "1");
    EXPECT_TRUE(store.DeleteSection("k"));
    EXPECT_EQ(TempDir::Contents(path), "[M]\r\nA=1\r\n");
    EXPECT_TRUE(store.DeleteSection("absent"));
    EXPECT_TRUE(store.DeleteKey("M", "absent"));
    EXPECT_EQ(TempDir::Contents(path), "[M]\r\nA=1\r\n");
}

TEST_F(IniProfileStoreTest, DeletesOnMissingFileSucceedAndCreateNothing) {
    IniProfileStore store(dir.File("none.ini"));
    EXPECT_TRUE(store.DeleteKey("S", "K"));
    EXPECT_TRUE(store.DeleteSection("S"));
    EXPECT_FALSE(std::filesystem::exists(store.Path()));
}

TEST_F(IniProfileStoreTest, FailedWritesAreReported) {
    IniProfileStore missingFolder(dir.File("no/such/folder.ini"));
    EXPECT_FALSE(missingFolder.Write("S", "K", "v"));
    std::filesystem::create_directory(dir.File("folder.ini"));
    IniProfileStore folder(dir.File("folder.ini"));
    EXPECT_FALSE(folder.Write("S", "K", "v"));
    EXPECT_EQ(folder.Read("S", "K", "dflt"), "dflt");
}

} // namespace
