// The string table, the tray menu, the version record and the manifest as the program loads them.
#include "ResourceTestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using kvtest::Module;

struct StringRow {
    int id;
    const char* text;
};

const StringRow kStrings[] = {
    {101, "&About kvRemote..."},
    {102, "Invalid IP address!"},
    {103, "IP broadcast addresses normally end with 255.\nDo you confirm the usage of %s?"},
    {104, "Windows sockets initialisation failed"},
    {105, "The text command can only contains letters and numbers"},
    {106, "Keyboards setup"},
    {107, "Mouses setup"},
    {108, "- Spot the keyboards by hitting a key on each of them.\n- Check the auxiliary keyboards ONLY.\n"
          "- Enter an index (0 - 255), with your main keyboard, for each of the auxiliary keyboards.\n\n"
          "Note :  At least one keyboard (the main one) must remain unchecked."},
    {109, "- Spot the mouses by clicking each of them.\n- Check the auxiliary mouses ONLY.\n"
          "- Enter an index (0 - 255) for each of the auxiliary mouses.\n\n"
          "Note :  At least one mouse (the main one) must remain unchecked."},
    {110, "Keyboards"},
    {111, "Mouses"},
    {112, "Interception Driver installed - %d keyboard(s) found"},
    {113, "Interception Driver not installed - Using the main keyboard"},
    {114, "Interception Driver installed - %d mouse(s) found"},
    {115, "Interception Driver not installed - Using the main mouse"},
    {116, "PS/2 Port #%d"},
    {117, "USB Port #%d"},
    {118, "Unknown Port %d"},
    {119, "Not Defined"},
    {120, "Error"},
    {121, "At least one device must be unchecked,\ntypically your main device."},
    {122, "Devices indexes must be between 0 and 255."},
    {123, "2.0"},
    {124, "The settings could not be saved to %s.\nThey stay in effect until kvRemote ends."},
    {125, "The application ID and the destination cannot contain double quotes."},
    {61712, "Please enter an integer."},
    {61714, "Please enter an integer between %1 and %2."},
    {61716, "Please enter no more than %1 characters."},
};

std::string LoadText(int id) {
    char buf[1024] = {};
    int n = LoadStringA(Module(), static_cast<UINT>(id), buf, sizeof buf);
    return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

TEST(ResourceStrings, EveryIdLoadsItsExactText) {
    for (const auto& row : kStrings)
        EXPECT_EQ(LoadText(row.id), row.text) << "string " << row.id;
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
    const MenuRow expected[] = {
        {ID_TRAY_ABOUT, "About kvRemote..."},           {0, ""}, {ID_TRAY_SETTINGS, "Settings..."},
        {ID_TRAY_CMDLINE, "Command-line arguments..."}, {0, ""}, {ID_TRAY_EXIT, "Exit"}};
    ASSERT_EQ(GetMenuItemCount(tray), 6);
    for (int pos = 0; pos < 6; ++pos) {
        const MenuRow& row = expected[pos];
        UINT state = GetMenuState(tray, static_cast<UINT>(pos), MF_BYPOSITION);
        if (row.id == 0) {
            EXPECT_TRUE(state & MF_SEPARATOR) << "position " << pos;
            continue;
        }
        EXPECT_FALSE(state & (MF_SEPARATOR | MF_POPUP | MF_GRAYED | MF_DISABLED)) << "position " << pos;
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

TEST(ResourceVersion, FixedVersionIsTwoPointZero) {
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
    EXPECT_EQ(info->dwFileVersionMS, MAKELONG(0, 2));
    EXPECT_EQ(info->dwFileVersionLS, 0u);
    char* product = nullptr;
    ASSERT_TRUE(VerQueryValueA(copy.data(), "\\StringFileInfo\\040904b0\\ProductName",
                               reinterpret_cast<void**>(&product), &len));
    EXPECT_STREQ(product, "kvRemote");
}

TEST(ResourceManifest, AsksForCommonControlsSix) {
    HRSRC res = FindResourceA(Module(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(res, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(Module(), res)));
    std::string text(data, SizeofResource(Module(), res));
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(text.find("asInvoker"), std::string::npos);
}

} // namespace
