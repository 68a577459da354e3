// Every resource id exists, and the tray menu, the version record and the manifest as the program
// loads them.
#include "ResourceTestSupport.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// resource.h as it was when the suite was built.
constexpr const char* kResourceHeader =
#include "ResourceHeaderText.inc"
    ;

using kvtest::LoadText;
using kvtest::Module;

// "#define NAME VALUE" lines of resource.h, each VALUE a number or an earlier name.
std::map<std::string, long> ResourceHeaderIds() {
    std::map<std::string, long> ids;
    std::istringstream lines(kResourceHeader);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string define, name, value;
        if (!(words >> define >> name >> value) || define != "#define")
            continue;
        const auto earlier = ids.find(value);
        ids[name] = earlier != ids.end() ? earlier->second : std::stol(value);
    }
    return ids;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool HasResource(long id, LPCSTR type) {
    return FindResourceA(Module(), MAKEINTRESOURCEA(id), type) != nullptr;
}

// Every name the code and the tests use from resource.h names something the script defines: a
// text, a dialog, an icon, the bitmap, the menu, a control of one of the dialogs or a menu item.
TEST(ResourceIds, EveryIdTheCodeUsesExistsInTheScript) {
    const std::map<std::string, long> ids = ResourceHeaderIds();
    ASSERT_GT(ids.size(), 100u);
    kvtest::TemplateWindow dialogs[] = {
        kvtest::TemplateWindow(IDD_KVREMOTE_DIALOG), kvtest::TemplateWindow(IDD_AUXDEVICES),
        kvtest::TemplateWindow(IDD_ABOUTBOX), kvtest::TemplateWindow(IDD_CONNECTIONS)};
    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    ASSERT_NE(menu, nullptr);
    for (const auto& [name, id] : ids) {
        bool found = false;
        if (StartsWith(name, "IDS_")) {
            found = !LoadText(static_cast<UINT>(id)).empty();
        } else if (StartsWith(name, "IDD_")) {
            found = HasResource(id, MAKEINTRESOURCEA(5)); // RT_DIALOG
        } else if (StartsWith(name, "IDI_")) {
            found = HasResource(id, MAKEINTRESOURCEA(14)); // RT_GROUP_ICON
        } else if (StartsWith(name, "IDB_")) {
            found = HasResource(id, MAKEINTRESOURCEA(2)); // RT_BITMAP
        } else if (StartsWith(name, "IDR_")) {
            found =
                HasResource(id, MAKEINTRESOURCEA(14)) || HasResource(id, MAKEINTRESOURCEA(4)); // icon, menu
        } else if (StartsWith(name, "IDC_")) {
            for (const auto& dialog : dialogs)
                found = found || GetDlgItem(dialog.get(), static_cast<int>(id)) != nullptr;
        } else if (StartsWith(name, "ID_TRAY_")) {
            found = GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) != static_cast<UINT>(-1);
        } else if (StartsWith(name, "ID_SYSMENU_")) {
            // Added to the system menu at run time, with the text of IDS_ABOUTBOX.
            found = !LoadText(IDS_ABOUTBOX).empty();
        }
        EXPECT_TRUE(found) << name << " " << id;
    }
    DestroyMenu(menu);
}

struct MenuRow {
    UINT id; // 0 for a separator
    const char* text;
};

TEST(ResourceMenu, TrayPopupHoldsItsItemsInOrder) {
    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    char name[64] = {};
    GetMenuStringA(menu, 0, name, sizeof name, MF_BYPOSITION);
    EXPECT_STREQ(name, "TRAY");

    HMENU tray = GetSubMenu(menu, 0);
    ASSERT_NE(tray, nullptr);
    const MenuRow expected[] = {{ID_TRAY_ABOUT, "About kvRemote..."},
                                {0, ""},
                                {ID_TRAY_SETTINGS, "Settings..."},
                                {ID_TRAY_CONNECTIONS, "Connections..."},
                                {ID_TRAY_CMDLINE, "Command-line arguments..."},
                                {0, ""},
                                {ID_TRAY_SIGNIN, "Start when I sign in"},
                                {ID_TRAY_EXIT, "Exit"}};
    ASSERT_EQ(GetMenuItemCount(tray), 8);
    for (int pos = 0; pos < 8; ++pos) {
        const MenuRow& row = expected[pos];
        UINT state = GetMenuState(tray, static_cast<UINT>(pos), MF_BYPOSITION);
        if (row.id == 0) {
            EXPECT_TRUE(state & MF_SEPARATOR) << "position " << pos;
            continue;
        }
        // Checked or not at run time only, as the Run value is then.
        EXPECT_FALSE(state & (MF_SEPARATOR | MF_POPUP | MF_GRAYED | MF_DISABLED | MF_CHECKED))
            << "position " << pos;
        EXPECT_EQ(GetMenuItemID(tray, pos), row.id) << "position " << pos;
        char text[128] = {};
        GetMenuStringA(tray, static_cast<UINT>(pos), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, row.text) << "position " << pos;
    }
    // The program makes Settings... the default item by command; that must find it.
    EXPECT_TRUE(SetMenuDefaultItem(tray, ID_TRAY_SETTINGS, FALSE));
    EXPECT_EQ(GetMenuDefaultItem(tray, FALSE, 0), static_cast<UINT>(ID_TRAY_SETTINGS));
    DestroyMenu(menu);
}

// The project's version (project(VERSION) of the top-level CMakeLists.txt) as "1.2.3.4" and its parts.
std::vector<unsigned> VersionParts(const std::string& text) {
    std::vector<unsigned> parts;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, '.'))
        parts.push_back(static_cast<unsigned>(std::stoul(part)));
    parts.resize(4, 0);
    return parts;
}

TEST(ResourceVersion, FixedVersionIsTheProjectVersion) {
    HRSRC res = FindResourceA(Module(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    ASSERT_NE(res, nullptr);
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(Module(), res)));
    DWORD size = SizeofResource(Module(), res);
    ASSERT_NE(data, nullptr);
    // VerQueryValue wants a writable copy.
    std::vector<BYTE> copy(data, data + size);
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(copy.data(), "\\", reinterpret_cast<void**>(&info), &len));
    EXPECT_EQ(info->dwSignature, 0xFEEF04BDu);
    const std::vector<unsigned> parts = VersionParts(KV_TEST_PROJECT_VERSION);
    EXPECT_EQ(info->dwFileVersionMS, static_cast<DWORD>(MAKELONG(parts[1], parts[0])));
    EXPECT_EQ(info->dwFileVersionLS, static_cast<DWORD>(MAKELONG(parts[3], parts[2])));
    EXPECT_EQ(info->dwProductVersionMS, info->dwFileVersionMS);
    EXPECT_EQ(info->dwProductVersionLS, info->dwFileVersionLS);
    // The About box shows the same version.
    EXPECT_EQ(LoadText(IDS_VERSION), KV_TEST_PROJECT_VERSION);
    char* product = nullptr;
    ASSERT_TRUE(VerQueryValueA(copy.data(), "\\StringFileInfo\\040904b0\\ProductName",
                               reinterpret_cast<void**>(&product), &len));
    EXPECT_STREQ(product, "kvRemote");
}

TEST(ResourceManifest, AsksForCommonControlsSixSystemDpiAndTodaysWindows) {
    HRSRC res = FindResourceA(Module(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(res, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(Module(), res)));
    std::string text(data, SizeofResource(Module(), res));
    for (const char* want : {
             "Microsoft.Windows.Common-Controls", "version=\"6.0.0.0\"", "level=\"asInvoker\"",
             // Windows neither stretches the windows as bitmaps nor runs the program as on Vista.
             "WindowsSettings\">true</dpiAware>", "WindowsSettings\">system</dpiAwareness>",
             "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", // 7
             "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", // 8
             "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", // 8.1
             "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", // 10 and 11
         })
        EXPECT_NE(text.find(want), std::string::npos) << want;
}

} // namespace
