// One suite run against our INI store and the Windows profile functions: both must read the same
// files the same way and report the same write results. Each case uses a file of its own, because
// the profile functions cache the files they have read.
#include "settings/IniProfileStore.h"
#include "settings/ProfileStoreWin32.h"
#include "settings/SettingIds.h"
#include "settings/Settings.h"
#include "capture/DeviceRegistry.h"
#include <cstdio>
#include <gtest/gtest.h>
#include <windows.h>

namespace {

std::string TempFolder() {
    char buffer[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, buffer);
    return buffer;
}

template <typename Store>
const char* StoreName();
template <>
const char* StoreName<IniProfileStore>() {
    return "ini";
}
template <>
const char* StoreName<ProfileStoreWin32>() {
    return "win32";
}

template <typename Store>
class ProfileStoreAgreement : public ::testing::Test {
protected:
    // A path no other case or store uses.
    std::string PathFor(const std::string& suffix = "") {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string path =
            TempFolder() + "kvapp-" + StoreName<Store>() + "-" + info->name() + suffix + ".ini";
        DeleteFileA(path.c_str());
        created_.push_back(path);
        return path;
    }
    Store Given(const std::string& content) {
        std::string path = PathFor();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        EXPECT_NE(file, nullptr) << path;
        if (file) {
            std::fwrite(content.data(), 1, content.size(), file);
            std::fclose(file);
        }
        return Store(path);
    }
    void TearDown() override {
        for (const std::string& path : created_)
            DeleteFileA(path.c_str());
    }

private:
    std::vector<std::string> created_;
};

using Stores = ::testing::Types<IniProfileStore, ProfileStoreWin32>;
TYPED_TEST_SUITE(ProfileStoreAgreement, Stores);

TYPED_TEST(ProfileStoreAgreement, MissingFileSectionOrKeyGivesDefault) {
    TypeParam none(this->PathFor("-none"));
    EXPECT_EQ(none.Read("Network", "Port", "9871"), "9871");
    TypeParam store = this->Given("[Network]\r\nPort=1\r\n");
    EXPECT_EQ(store.Read("Other", "Port", "d"), "d");
    EXPECT_EQ(store.Read("Network", "Address", ""), "");
    EXPECT_EQ(store.Read("Network", "Port", "d"), "1");
}

TYPED_TEST(ProfileStoreAgreement, LongValueIsCut) {
    TypeParam store =
        this->Given("[S]\r\nK=" + std::string(1500, 'v') + "\r\nE=" + std::string(1022, 'e') + "\r\n");
    EXPECT_EQ(store.Read("S", "K", ""), std::string(1022, 'v'));
    EXPECT_EQ(store.Read("S", "E", ""), std::string(1022, 'e'));
}

TYPED_TEST(ProfileStoreAgreement, TypedReads) {
    TypeParam store = this->Given("[Network]\r\nPort=12ab\r\n[RemoteCmd]\r\nDestination=abc\r\n"
                                  "[Keyboards]\r\nUseAux=\r\nMainIndex= -3x\r\n[Mouses]\r\nUseAux=0\r\n");
    SettingNames names;
    names.Fill();
    Settings settings(store, names);
    int port = 0, destination = -1, mainIndex = 0, missing = 0;
    settings.ReadSettingInt(SECTION_NETWORK, KEY_PORT, 9871, port);
    settings.ReadSettingInt(SECTION_REMOTE_CMD, KEY_DESTINATION, 5, destination);
    settings.ReadSettingInt(SECTION_KEYBOARDS, KEY_KEYBOARDS_MAIN_INDEX, 0, mainIndex);
    settings.ReadSettingInt(SECTION_MOUSES, KEY_MOUSES_MAIN_INDEX, 77, missing);
    EXPECT_EQ(port, 12);
    EXPECT_EQ(destination, 0);
    EXPECT_EQ(mainIndex, -3);
    EXPECT_EQ(missing, 77);
    bool keyboards = false, mouses = true, missingFlag = true;
    settings.ReadSettingBool(SECTION_KEYBOARDS, KEY_KEYBOARDS_USE_AUX, keyboards);
    settings.ReadSettingBool(SECTION_MOUSES, KEY_MOUSES_USE_AUX, mouses);
    settings.ReadSettingBool(SECTION_NETWORK, KEY_KEYBOARDS_USE_AUX, missingFlag);
    EXPECT_TRUE(keyboards);
    EXPECT_FALSE(mouses);
    EXPECT_FALSE(missingFlag);
}

TYPED_TEST(ProfileStoreAgreement, DeletesKeyAndSection) {
    TypeParam store =
        this->Given("[Keyboards]\r\nDevice1=1\r\nUseAux=1\r\n[Mouses]\r\nDevice1=11\r\nUseAux=1\r\n");
    EXPECT_TRUE(store.DeleteKey("Keyboards", "Device1"));
    EXPECT_EQ(store.Read("Keyboards", "Device1", "gone"), "gone");
    EXPECT_EQ(store.Read("Keyboards", "UseAux", ""), "1");
    EXPECT_TRUE(store.DeleteSection("Mouses"));
    EXPECT_EQ(store.Read("Mouses", "UseAux", "gone"), "gone");
    EXPECT_TRUE(store.DeleteKey("Keyboards", "Absent"));
    EXPECT_TRUE(store.DeleteSection("Absent"));
    EXPECT_EQ(store.Read("Keyboards", "UseAux", ""), "1");
}

TYPED_TEST(ProfileStoreAgreement, WhiteSpaceAroundNamesAndValues) {
    TypeParam store = this->Given("  [Network]  \r\n  Port  =  7 8  \r\n\tApplicationId\t=\tX\t\r\n");
    EXPECT_EQ(store.Read("Network", "Port", ""), "7 8");
    EXPECT_EQ(store.Read("Network", "ApplicationId", ""), "X");
    EXPECT_EQ(store.Read(" Network ", " Port ", ""), "7 8");
}

TYPED_TEST(ProfileStoreAgreement, SpaceInsideSectionBrackets) {
    TypeParam store = this->Given("[ Spaced ]\r\nK=1\r\n");
    EXPECT_EQ(store.Read("Spaced", "K", "d"), "1");
}

TYPED_TEST(ProfileStoreAgreement, NamesIgnoreLetterCase) {
    TypeParam store = this->Given("[nEtWoRk]\r\npORT=5\r\n");
    EXPECT_EQ(store.Read("NETWORK", "port", ""), "5");
    EXPECT_TRUE(store.Write("network", "PORT", "6"));
    EXPECT_EQ(store.Read("Network", "Port", ""), "6");
}

TYPED_TEST(ProfileStoreAgreement, SurroundingQuotes) {
    TypeParam store = this->Given("[S]\r\nA=\"  q  \"\r\nB='q'\r\nC=\"q'\r\nD=\"\r\nE=\"\"\r\nF=x\"y\"\r\n");
    EXPECT_EQ(store.Read("S", "A", ""), "  q  ");
    EXPECT_EQ(store.Read("S", "B", ""), "q");
    EXPECT_EQ(store.Read("S", "C", ""), "\"q'");
    EXPECT_EQ(store.Read("S", "D", ""), "\"");
    EXPECT_EQ(store.Read("S", "E", "d"), "");
    EXPECT_EQ(store.Read("S", "F", ""), "x\"y\"");
}

TYPED_TEST(ProfileStoreAgreement, FirstOfDuplicateKeysWins) {
    TypeParam store = this->Given("[S]\r\nK=1\r\nk=2\r\n[s]\r\nK=3\r\nL=4\r\n");
    EXPECT_EQ(store.Read("S", "K", ""), "1");
    EXPECT_EQ(store.Read("S", "L", "d"), "d"); // only the first section of a name counts
}

TYPED_TEST(ProfileStoreAgreement, LineEndsOfAnyKind) {
    TypeParam lf = this->Given("[S]\nA=1\nB=2\n");
    EXPECT_EQ(lf.Read("S", "B", ""), "2");
    TypeParam open(this->PathFor("-open"));
    std::FILE* file = std::fopen(open.Path().c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("[S]\r\nA=1\r\nB=2", file);
    std::fclose(file);
    EXPECT_EQ(open.Read("S", "B", ""), "2");
    EXPECT_TRUE(open.Write("S", "C", "3"));
    EXPECT_EQ(open.Read("S", "B", ""), "2");
    EXPECT_EQ(open.Read("S", "C", ""), "3");
}

TYPED_TEST(ProfileStoreAgreement, WritesCreateFileAndSection) {
    TypeParam store(this->PathFor("-new"));
    EXPECT_TRUE(store.Write("Network", "Port", "9871"));
    EXPECT_TRUE(store.Write("RemoteCmd", "Destination", ""));
    EXPECT_TRUE(store.Write("Network", "Port", "1"));
    EXPECT_EQ(store.Read("Network", "Port", ""), "1");
    EXPECT_EQ(store.Read("RemoteCmd", "Destination", "d"), "");
    // The other implementation reads the file the same way.
    IniProfileStore ours(store.Path());
    EXPECT_EQ(ours.Read("Network", "Port", ""), "1");
    EXPECT_EQ(ours.Read("RemoteCmd", "Destination", "d"), "");
}

TYPED_TEST(ProfileStoreAgreement, FailedWritesAreReported) {
    std::string folder = this->PathFor("-folder");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    TypeParam inPlaceOfFile(folder);
    EXPECT_FALSE(inPlaceOfFile.Write("S", "K", "v"));
    EXPECT_EQ(inPlaceOfFile.Read("S", "K", "d"), "d");
    RemoveDirectoryA(folder.c_str());
    TypeParam missingFolder(TempFolder() + "kvapp-no-such-folder\\" + StoreName<TypeParam>() + ".ini");
    EXPECT_FALSE(missingFolder.Write("S", "K", "v"));
}

// Entries 1-14 with a gap at 9 and some keys in other letter case: a save leaves only the entries it
// writes, and the section's other keys and the other section as they were.
TYPED_TEST(ProfileStoreAgreement, SavingDevicesRemovesEveryEarlierEntry) {
    std::string text = "[Keyboards]\r\nUseAux=1\r\n";
    for (int n = 1; n <= 14; ++n) {
        if (n == 9)
            continue;
        const std::string num = std::to_string(n);
        text += (n == 5 ? "device" : "Device") + num + "=" + num + "\r\n";
        text += (n == 12 ? "HARWAREID" : "HarwareId") + num + "=HID\\OLD" + num + "\r\n";
        text += (n == 14 ? "index" : "Index") + num + "=" + num + "\r\n";
    }
    text += "MainIndex=2\r\nTextCmd=F1\r\nDevices=kept\r\n[Mouses]\r\nDevice1=11\r\n";
    TypeParam store = this->Given(text);
    SettingNames names;
    names.Fill();
    Settings settings(store, names);
    DeviceTable table;
    ClearDeviceTable(table);
    table[4].hardwareId = "HID\\FOUR";
    table[4].index = 7;

    ASSERT_TRUE(SaveDevices(table, DEVICE_CLASS_KEYBOARDS, settings));
    const std::vector<std::string> expected{"UseAux",  "MainIndex",  "TextCmd", "Devices",
                                            "Device1", "HarwareId1", "Index1"};
    EXPECT_EQ(store.KeyNames("Keyboards"), expected);
    EXPECT_EQ(store.Read("Keyboards", "Device1", ""), "4");
    EXPECT_EQ(store.Read("Keyboards", "HarwareId1", ""), "HID\\FOUR");
    EXPECT_EQ(store.Read("Keyboards", "Index1", ""), "7");
    EXPECT_EQ(store.Read("Keyboards", "Devices", ""), "kept");
    EXPECT_EQ(store.KeyNames("Mouses"), std::vector<std::string>{"Device1"});
    EXPECT_TRUE(store.KeyNames("Absent").empty());
}

} // namespace
