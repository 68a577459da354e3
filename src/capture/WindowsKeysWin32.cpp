#include "capture/CaptureWin32.h"
#include <windows.h>

namespace {

constexpr int kE0 = 0x100;

// Keys whose scan codes are the same in every layout, with every virtual key they give: the keypad's
// also give the number keys' codes while Num Lock is on, and the E0 forms differ from the plain ones
// (right Ctrl and Alt, the navigation block, keypad Enter and slash), which MapVirtualKeyA cannot
// tell apart everywhere. Every other key is asked of the layout.
struct FixedKey {
    int key;
    UINT vk;
};
// clang-format off
constexpr FixedKey kFixedKeys[] = {
    {0x01, VK_ESCAPE}, {0x0E, VK_BACK}, {0x0F, VK_TAB}, {0x1C, VK_RETURN}, {kE0 | 0x1C, VK_RETURN},
    {0x39, VK_SPACE}, {0x3A, VK_CAPITAL}, {0x45, VK_NUMLOCK}, {kE0 | 0x45, VK_NUMLOCK}, {0x46, VK_SCROLL},
    {0x1D, VK_LCONTROL}, {kE0 | 0x1D, VK_RCONTROL}, {0x2A, VK_LSHIFT}, {0x36, VK_RSHIFT},
    {0x38, VK_LMENU}, {kE0 | 0x38, VK_RMENU},
    {kE0 | 0x5B, VK_LWIN}, {kE0 | 0x5C, VK_RWIN}, {kE0 | 0x5D, VK_APPS},
    {0x3B, VK_F1}, {0x3C, VK_F2}, {0x3D, VK_F3}, {0x3E, VK_F4}, {0x3F, VK_F5}, {0x40, VK_F6},
    {0x41, VK_F7}, {0x42, VK_F8}, {0x43, VK_F9}, {0x44, VK_F10}, {0x57, VK_F11}, {0x58, VK_F12},
    {0x64, VK_F13}, {0x65, VK_F14}, {0x66, VK_F15}, {0x67, VK_F16}, {0x68, VK_F17}, {0x69, VK_F18},
    {0x6A, VK_F19}, {0x6B, VK_F20}, {0x6C, VK_F21}, {0x6D, VK_F22}, {0x6E, VK_F23}, {0x76, VK_F24},
    {0x37, VK_MULTIPLY}, {kE0 | 0x35, VK_DIVIDE}, {0x4A, VK_SUBTRACT}, {0x4E, VK_ADD},
    {0x47, VK_HOME}, {0x47, VK_NUMPAD7}, {0x48, VK_UP}, {0x48, VK_NUMPAD8},
    {0x49, VK_PRIOR}, {0x49, VK_NUMPAD9}, {0x4B, VK_LEFT}, {0x4B, VK_NUMPAD4},
    {0x4C, VK_CLEAR}, {0x4C, VK_NUMPAD5}, {0x4D, VK_RIGHT}, {0x4D, VK_NUMPAD6},
    {0x4F, VK_END}, {0x4F, VK_NUMPAD1}, {0x50, VK_DOWN}, {0x50, VK_NUMPAD2},
    {0x51, VK_NEXT}, {0x51, VK_NUMPAD3}, {0x52, VK_INSERT}, {0x52, VK_NUMPAD0},
    {0x53, VK_DELETE}, {0x53, VK_DECIMAL},
    {kE0 | 0x47, VK_HOME}, {kE0 | 0x48, VK_UP}, {kE0 | 0x49, VK_PRIOR}, {kE0 | 0x4B, VK_LEFT},
    {kE0 | 0x4D, VK_RIGHT}, {kE0 | 0x4F, VK_END}, {kE0 | 0x50, VK_DOWN}, {kE0 | 0x51, VK_NEXT},
    {kE0 | 0x52, VK_INSERT}, {kE0 | 0x53, VK_DELETE}, {kE0 | 0x37, VK_SNAPSHOT}, {0x54, VK_SNAPSHOT},
};
// clang-format on

// GetAsyncKeyState of a mouse button reads the physical button, as the driver numbers them.
constexpr int kButtonKeys[WindowsKeys::kButtons] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_XBUTTON1,
                                                    VK_XBUTTON2};

} // namespace

void ReadWindowsKeysWin32(WindowsKeys& keys) {
    keys = {};
    bool down[256] = {};
    bool any = false;
    for (int vk = 1; vk < 256; ++vk) {
        down[vk] = (GetAsyncKeyState(vk) & 0x8000) != 0;
        any = any || down[vk];
    }
    if (!any)
        return;
    for (int b = 0; b < WindowsKeys::kButtons; ++b)
        if (down[kButtonKeys[b]])
            keys.buttons |= 1u << b;
    bool fixed[WindowsKeys::kKeys] = {};
    for (const FixedKey& k : kFixedKeys) {
        fixed[k.key] = true;
        if (down[k.vk])
            keys.SetKey(k.key);
    }
    for (int key = 1; key < WindowsKeys::kKeys; ++key) {
        if (fixed[key])
            continue;
        // Other E0 keys (media and browser keys) as the layout has them, or as their plain code.
        UINT vk = MapVirtualKeyA((key & 0xFF) | ((key & kE0) != 0 ? 0xE000u : 0u), MAPVK_VSC_TO_VK_EX);
        if (vk == 0 && (key & kE0) != 0)
            vk = MapVirtualKeyA(key & 0xFF, MAPVK_VSC_TO_VK_EX);
        if (vk != 0 && vk < 256 && down[vk])
            keys.SetKey(key);
    }
}
