#pragma once
// Device numbers of the filter driver and the two device classes.
//   1-10 keyboards, 11-20 mice, 0 = no device.

enum DeviceClass : int { DEVICE_CLASS_NONE = 0, DEVICE_CLASS_KEYBOARDS = 1, DEVICE_CLASS_MICE = 2 };

constexpr int kDeviceCount = 21; // device numbers 0-20
constexpr int kFirstKeyboard = 1;
constexpr int kLastKeyboard = 10;
constexpr int kFirstMouse = 11;
constexpr int kLastMouse = 20;

constexpr bool IsKeyboardNumber(int device) {
    return device >= kFirstKeyboard && device <= kLastKeyboard;
}
constexpr bool IsMouseNumber(int device) {
    return device >= kFirstMouse && device <= kLastMouse;
}
constexpr int FirstDeviceOf(DeviceClass c) {
    return c == DEVICE_CLASS_MICE ? kFirstMouse : kFirstKeyboard;
}
constexpr int LastDeviceOf(DeviceClass c) {
    return c == DEVICE_CLASS_MICE ? kLastMouse : kLastKeyboard;
}

// Filter masks the program sets: keyboards key down, up, E0, E1; mice buttons 1-3 down and up,
// the wheel and moves (not buttons 4 and 5, not the horizontal wheel).
constexpr unsigned short kKeyboardFilterAll = 15;
constexpr unsigned short kMouseFilterCaptured = 5183; // 0x143F
