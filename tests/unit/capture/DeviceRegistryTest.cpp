#include "FakeDriver.h"
#include "settings/ProfileStore.h"
#include "settings/SettingIds.h"
#include "settings/Settings.h"
#include "capture/DeviceRegistry.h"
#include "capture/PortLabels.h"
#include "FakeTexts.h"
#include "res/resource.h"
#include <gtest/gtest.h>
#include <map>

namespace {

// Sections of key/value pairs in memory; writes can be made to fail.
class MemoryStore : public ProfileStore {
public:
    std::map<std::string, std::map<std::string, std::string>> sections;
    bool failWrites = false;

    std::string Read(std::string_view section, std::string_view key, std::string_view defaultText) override {
        auto& keys = sections[std::string(section)];
        auto k = keys.find(std::string(key));
        return k == keys.end() ? std::string(defaultText) : k->second;
    }
    bool Write(std::string_view section, std::string_view key, std::string_view value) override {
        if (!failWrites) {
            sections[std::string(section)][std::string(key)] = std::string(value);
        }
        return !failWrites;
    }
    std::vector<std::string> KeyNames(std::string_view section) override {
        std::vector<std::string> names;
        for (const auto& entry : sections[std::string(section)]) {
            names.push_back(entry.first);
        }
        return names;
    }
    bool DeleteKey(std::string_view section, std::string_view key) override {
        return sections[std::string(section)].erase(std::string(key)), true;
    }
    bool DeleteSection(std::string_view section) override {
        return sections.erase(std::string(section)), true;
    }
};

class DeviceRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        names.Fill();
        fake_driver::Reset();
    }
    DevicePlacement Load() { return LoadDevices(table, fake_driver::Api(), &table, settings, NarrowLatin1); }
    DeviceChanges Reread() { return RereadDevices(table, fake_driver::Api(), &table, NarrowLatin1); }
    // The test knows which numbers hold main devices: none of them may have an index.
    testing::AssertionResult NoMainHeld(const std::vector<int>& mains) const {
        for (int d : mains)
            if (table[d].index >= 0)
                return testing::AssertionFailure()
                       << "the main device at " << d << " has index " << table[d].index;
        return testing::AssertionSuccess();
    }
    std::map<std::string, std::string>& Keyboards() { return store.sections["Keyboards"]; }
    std::map<std::string, std::string>& Mice() { return store.sections["Mouses"]; }

    MemoryStore store;
    SettingNames names;
    Settings settings{store, names};
    DeviceTable table;
};

TEST_F(DeviceRegistry, LoadsHardwareIdsAndStartsEveryDeviceAsMain) {
    fake_driver::SetHardwareId(1, u"ACPI\\PNP0303");
    fake_driver::SetHardwareId(12, u"HID\\VID_046D&PID_C077\u00e9\u4e2d");
    table[5].hardwareId = "stale";
    table[5].index = 3;
    Load();
    EXPECT_EQ(table[1].hardwareId, "ACPI\\PNP0303");
    EXPECT_EQ(table[12].hardwareId, "HID\\VID_046D&PID_C077\xe9?");
    EXPECT_EQ(table[5].hardwareId, "");
    for (const AuxDevice& d : table) {
        EXPECT_EQ(d.index, -1);
    }
    EXPECT_EQ(CountPresentDevices(table, DEVICE_CLASS_KEYBOARDS), 1);
    EXPECT_EQ(CountPresentDevices(table, DEVICE_CLASS_MICE), 1);
    // only the first string counts, and never more than the driver wrote or the buffer holds
    const unsigned char buffer[] = {'H', 0, 'I', 0, 'D', 0, 0, 0, 'X', 0};
    EXPECT_EQ(HardwareIdFromBuffer(buffer, sizeof buffer, sizeof buffer, NarrowLatin1), "HID");
    EXPECT_EQ(HardwareIdFromBuffer(buffer, 4, 1000, NarrowLatin1), "HI");
}

TEST_F(DeviceRegistry, SavedEntriesAreRestoredAtTheirNumberAndNothingIsFollowedAtStartUp) {
    for (int d : {2, 3}) {
        fake_driver::SetHardwareId(d, u"HID\\SAME");
    }
    fake_driver::SetHardwareId(4, u"HID\\Case");
    fake_driver::SetHardwareId(5, u"HID\\MOVED");
    fake_driver::SetHardwareId(6, u"HID\\BIG");
    fake_driver::SetHardwareId(7, u"HID\\NOINDEX");
    Keyboards() = {{"Device1", "2"},   {"HarwareId1", "HID\\SAME"},   {"Index1", "10"},  // restored
                   {"Device2", "3"},   {"HarwareId2", "HID\\SAME"},   {"Index2", "11"},  // identical model
                   {"Device3", "4"},   {"HarwareId3", "HID\\CASE"},   {"Index3", "12"},  // case differs
                   {"Device4", "9"},   {"HarwareId4", "HID\\MOVED"},  {"Index4", "13"},  // moved: reported
                   {"Device5", " 6x"}, {"HarwareId5", "HID\\BIG"},    {"Index5", "300"}, // kept as is
                   {"Device6", "7"},   {"HarwareId6", "HID\\NOINDEX"}};                  // index 0
    const DevicePlacement placement = Load();
    EXPECT_TRUE(placement.followed.empty());
    EXPECT_EQ(placement.ambiguous, std::vector<int>{5}) << "it may be a main device of that model";
    EXPECT_EQ(table[2].index, 10);
    EXPECT_EQ(table[3].index, 11) << "the second of two identical keypads, at its own number";
    EXPECT_EQ(table[4].index, -1);
    EXPECT_EQ(table[5].index, -1);
    EXPECT_EQ(table[9].index, -1);
    EXPECT_EQ(table[6].index, 300);
    EXPECT_EQ(table[7].index, 0);
}

TEST_F(DeviceRegistry, IdenticalIdsAtFreeNumbersAreAmbiguousAndAbsentEntriesAreKept) {
    fake_driver::SetHardwareId(1, u"MAIN");
    fake_driver::SetHardwareId(5, u"TWIN");
    fake_driver::SetHardwareId(6, u"PAD");
    fake_driver::SetHardwareId(7, u"PAD");
    Keyboards() = {{"Device1", "2"}, {"HarwareId1", "TWIN"}, {"Index1", "1"},  // two identical keypads,
                   {"Device2", "3"}, {"HarwareId2", "TWIN"}, {"Index2", "2"},  // one came back at 5
                   {"Device3", "8"}, {"HarwareId3", "PAD"},  {"Index3", "3"},  // its id at 6 and 7
                   {"Device4", "9"}, {"HarwareId4", "GONE"}, {"Index4", "4"}}; // absent
    const DevicePlacement placement = Load();
    EXPECT_TRUE(placement.followed.empty());
    EXPECT_EQ(placement.ambiguous, (std::vector<int>{5, 6, 7}));
    for (int d = 1; d <= 10; ++d)
        EXPECT_EQ(table[d].index, -1) << d;

    // Nothing present is set up, yet every entry is written back, unchanged.
    const auto before = Keyboards();
    EXPECT_TRUE(SaveDevices(table, DEVICE_CLASS_KEYBOARDS, settings));
    EXPECT_EQ(Keyboards(), before);
}

TEST_F(DeviceRegistry, RereadFollowsAReplugAndKeepsWhatDidNotChange) {
    fake_driver::SetHardwareId(1, u"MAIN");
    fake_driver::SetHardwareId(2, u"PAD");
    fake_driver::SetHardwareId(3, u"TWIN");
    fake_driver::SetHardwareId(4, u"TWIN");
    fake_driver::SetHardwareId(11, u"MOUSE");
    Keyboards() = {{"Device1", "2"}, {"HarwareId1", "PAD"},  {"Index1", "5"},
                   {"Device2", "3"}, {"HarwareId2", "TWIN"}, {"Index2", "6"},
                   {"Device3", "4"}, {"HarwareId3", "TWIN"}, {"Index3", "7"}};
    Load();
    EXPECT_TRUE(Reread().changed.empty()) << "nothing changed";
    EXPECT_EQ(table[2].index, 5);

    // The keypad and one twin are unplugged; an unrelated keyboard comes.
    fake_driver::SetHardwareId(2, u"");
    fake_driver::SetHardwareId(4, u"");
    fake_driver::SetHardwareId(8, u"OTHER");
    DeviceChanges changes = Reread();
    EXPECT_EQ(changes.changed, (std::vector<int>{2, 4, 8}));
    EXPECT_EQ(table[2].index, -1);
    EXPECT_EQ(table[3].index, 6) << "unchanged numbers keep their index";
    EXPECT_EQ(table[8].index, -1) << "a newcomer is a main device";
    EXPECT_TRUE(changes.placement.followed.empty());
    // Saved while they are away, they are not forgotten: present first, then the absent ones.
    EXPECT_TRUE(SaveDevices(table, DEVICE_CLASS_KEYBOARDS, settings));
    EXPECT_EQ(Keyboards(), (std::map<std::string, std::string>{{"Device1", "3"},
                                                               {"HarwareId1", "TWIN"},
                                                               {"Index1", "6"},
                                                               {"Device2", "2"},
                                                               {"HarwareId2", "PAD"},
                                                               {"Index2", "5"},
                                                               {"Device3", "4"},
                                                               {"HarwareId3", "TWIN"},
                                                               {"Index3", "7"}}));

    // Plugged in again at new numbers: the keypad is followed; the twin is told apart from the one
    // at 3 only by number, and 3 took its own entry, so the left-over twin entry follows to 9.
    fake_driver::SetHardwareId(9, u"TWIN");
    fake_driver::SetHardwareId(10, u"PAD");
    changes = Reread();
    EXPECT_EQ(changes.placement.followed, (std::vector<int>{10, 9}));
    EXPECT_EQ(table[10].index, 5);
    EXPECT_EQ(table[9].index, 7);
    EXPECT_TRUE(table.kept.empty());
}

// The main keyboard at 1 is the model of the keypads saved at 3 and 4; the main mouse at 11 that of
// the mouse saved at 13, away at start-up. The test knows where each device is after every read.
TEST_F(DeviceRegistry, AMainDeviceOfAKeypadsModelIsNeverTakenForIt) {
    struct Read {
        std::vector<std::pair<int, std::u16string>> ids; // "" unplugs
        std::vector<int> mains;                          // the main devices' numbers after it
        int followed;                                    // where the keypad from 3 is followed, or 0
        std::vector<int> named;                          // the numbers reported
    };
    const std::pair<const char*, std::vector<Read>> cases[] = {
        {"keypad re-plugged in one read", {{{{3, u""}, {7, u"PAD"}}, {1, 11}, 7, {}}}},
        {"keypad re-plugged across two reads",
         {{{{3, u""}}, {1, 11}, 0, {}}, {{{7, u"PAD"}}, {1, 11}, 7, {}}}},
        {"keypad and main keyboard renumbered in one read",
         {{{{1, u""}, {3, u""}, {7, u"PAD"}, {8, u"PAD"}}, {7, 11}, 0, {7, 8}}}},
        {"main keyboard renumbered in one read, then the keypad back",
         {{{{3, u""}}, {1, 11}, 0, {}},
          {{{1, u""}, {7, u"PAD"}}, {7, 11}, 0, {7}},
          {{{8, u"PAD"}}, {7, 11}, 0, {8}}}},
        {"main keyboard renumbered across two reads, then the keypad back",
         {{{{3, u""}}, {1, 11}, 0, {}},
          {{{1, u""}}, {11}, 0, {}},
          {{{7, u"PAD"}}, {7, 11}, 0, {7}},
          {{{8, u"PAD"}}, {7, 11}, 0, {8}}}},
        {"a mouse of the model named at start-up arrives", {{{{14, u"MOUSE"}}, {1, 11}, 0, {14}}}},
    };
    for (const auto& [name, reads] : cases) {
        SCOPED_TRACE(name);
        fake_driver::Reset();
        for (int d : {1, 3, 4})
            fake_driver::SetHardwareId(d, u"PAD");
        fake_driver::SetHardwareId(11, u"MOUSE");
        Keyboards() = {{"Device1", "3"}, {"HarwareId1", "PAD"}, {"Index1", "5"},
                       {"Device2", "4"}, {"HarwareId2", "PAD"}, {"Index2", "6"}};
        Mice() = {{"Device1", "13"}, {"HarwareId1", "MOUSE"}, {"Index1", "8"}};
        EXPECT_EQ(Load().ambiguous, std::vector<int>{11}) << "the main mouse is only named";
        EXPECT_TRUE(NoMainHeld({1, 11}));
        for (const Read& read : reads) {
            for (const auto& [d, id] : read.ids)
                fake_driver::SetHardwareId(d, id);
            const DeviceChanges changes = Reread();
            EXPECT_EQ(changes.placement.followed,
                      read.followed ? std::vector<int>{read.followed} : std::vector<int>{});
            EXPECT_EQ(table[read.followed].index, read.followed ? 5 : -1);
            EXPECT_EQ(changes.placement.ambiguous, read.named);
            EXPECT_TRUE(NoMainHeld(read.mains));
        }
        EXPECT_EQ(table[4].index, 6) << "the other keypad stays";
    }
}

TEST_F(DeviceRegistry, ListEndsAtTheFirstGapAndClassesStayApart) {
    fake_driver::SetHardwareId(1, u"K1");
    fake_driver::SetHardwareId(11, u"M1");
    fake_driver::SetHardwareId(12, u"M2");
    Keyboards() = {{"Device2", "1"}, {"HarwareId2", "K1"}, {"Index2", "4"}}; // entry 1 missing
    Mice() = {{"Device1", "1"},  {"HarwareId1", "K1"}, {"Index1", "9"},      // a keyboard named in the mice
              {"Device2", "11"}, {"HarwareId2", "M1"}, {"Index2", "1"},
              {"Device3", "12"}, {"HarwareId3", ""},   {"Index3", "2"}, // empty id ends the list
              {"Device4", "12"}, {"HarwareId4", "M2"}, {"Index4", "3"}};
    Load();
    EXPECT_EQ(table[1].index, -1);
    EXPECT_EQ(table[11].index, 1);
    EXPECT_EQ(table[12].index, -1);
}

TEST_F(DeviceRegistry, SaveWritesAuxiliaryDevicesWithoutGapsAndKeepsOtherKeys) {
    table[1].hardwareId = "HID\\MAIN";
    table[4].hardwareId = "HID\\FOUR";
    table[4].index = 7;
    table[9].hardwareId = "ACPI\\NINE";
    table[9].index = 0;
    table[14].hardwareId = "HID\\MOUSE";
    table[14].index = 2;
    Keyboards() = {{"UseAux", "1"},       {"MainIndex", "3"}, {"TextCmd", "F1"}, {"Device1", "1"},
                   {"HarwareId1", "old"}, {"Index1", "1"},    {"Device3", "5"},  {"Index7", "9"},
                   {"HarwareId10", "x"},  {"Device11", "8"},  {"Index12", "1"},  {"Device40", "far"}};
    Mice() = {{"Device1", "11"}, {"UseAux", "0"}};
    EXPECT_TRUE(SaveDevices(table, DEVICE_CLASS_KEYBOARDS, settings));
    const std::map<std::string, std::string> expected = {
        {"UseAux", "1"}, {"MainIndex", "3"},          {"TextCmd", "F1"}, {"Device1", "4"},
        {"Index1", "7"}, {"HarwareId1", "HID\\FOUR"}, {"Device2", "9"},  {"HarwareId2", "ACPI\\NINE"},
        {"Index2", "0"}};
    EXPECT_EQ(Keyboards(), expected);
    EXPECT_EQ(Mice().size(), 2u) << "the other class is untouched";

    table[14].index = -1;
    EXPECT_TRUE(SaveDevices(table, DEVICE_CLASS_MICE, settings));
    EXPECT_EQ(Mice(), (std::map<std::string, std::string>{{"UseAux", "0"}}));
}

TEST_F(DeviceRegistry, SaveReportsAFailedWrite) {
    table[2].hardwareId = "HID\\X";
    table[2].index = 1;
    store.failWrites = true;
    EXPECT_FALSE(SaveDevices(table, DEVICE_CLASS_KEYBOARDS, settings));
    EXPECT_TRUE(SaveDevices(table, DEVICE_CLASS_NONE, settings));
}

TEST_F(DeviceRegistry, PortLabelsCountEachKindInDeviceOrder) {
    const char* ids[] = {"HID\\A", "ACPI\\PNP0303", "",       "HID\\B", "hid\\lower",
                         "ACPI",   "HID",           "USB\\C", "HID\\"};
    for (int i = 0; i < 9; ++i) {
        table[1 + i].hardwareId = ids[i];
    }
    table[12].hardwareId = "HID\\MOUSE";
    const FakeTexts texts{{IDS_PORT_PS2, "PS/2 Port #%d"},
                          {IDS_PORT_USB, "USB Port #%d"},
                          {IDS_PORT_UNKNOWN, "Unknown Port %d"},
                          {IDS_NOT_DEFINED, "Not Defined"}};
    const auto labels = PortLabels(table, DEVICE_CLASS_KEYBOARDS, texts);
    const char* expected[] = {"USB Port #1",    "PS/2 Port #1",   "Not Defined",    "USB Port #2",
                              "Unknown Port 1", "Unknown Port 2", "Unknown Port 3", "Unknown Port 4",
                              "USB Port #3",    "Not Defined"};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(labels[1 + i], expected[i]) << "device " << 1 + i;
    }
    EXPECT_EQ(labels[12], "") << "other class";
    const auto mice = PortLabels(table, DEVICE_CLASS_MICE, texts);
    EXPECT_EQ(mice[11], "Not Defined");
    EXPECT_EQ(mice[12], "USB Port #1");
}

} // namespace
