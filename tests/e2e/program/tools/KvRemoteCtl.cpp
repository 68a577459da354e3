// kvremote_ctl: sends a running kvRemote one of its tray menu commands from outside, the way the
// demo and the screenshot scripts end or open it (a tray icon cannot be clicked by a script).
//
//   kvremote_ctl settings      "Settings..." to every kvRemote main window
//   kvremote_ctl about         "About kvRemote..."
//   kvremote_ctl exit          "Exit", then waits (at most 15 s) until those windows are gone
//
// Exit code 0 on success, 1 when no kvRemote window was found or it did not end, 2 for wrong use.
#include "res/resource.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// The main window is the dialog titled "kvRemote" that is not a message box (those carry the same
// caption and have a static control with id 0xFFFF).
BOOL CALLBACK Collect(HWND hwnd, LPARAM out) {
    char title[64] = {};
    char cls[64] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    GetClassNameA(hwnd, cls, sizeof cls);
    if (std::strcmp(cls, "#32770") == 0 && std::strcmp(title, "kvRemote") == 0 && !GetDlgItem(hwnd, 0xFFFF))
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> MainWindows() {
    std::vector<HWND> found;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The windows appear a moment after the program starts: look for a few seconds.
std::vector<HWND> WaitForMainWindows() {
    for (int i = 0; i < 100; ++i) {
        if (auto found = MainWindows(); !found.empty())
            return found;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kvremote_ctl settings|about|exit\n");
        return 2;
    }
    WPARAM command = 0;
    if (std::strcmp(argv[1], "settings") == 0)
        command = ID_TRAY_SETTINGS;
    else if (std::strcmp(argv[1], "about") == 0)
        command = ID_TRAY_ABOUT;
    else if (std::strcmp(argv[1], "exit") == 0)
        command = ID_TRAY_EXIT;
    else {
        std::fprintf(stderr, "kvremote_ctl: unknown command %s\n", argv[1]);
        return 2;
    }
    const auto windows = WaitForMainWindows();
    if (windows.empty()) {
        std::fprintf(stderr, "kvremote_ctl: no kvRemote window found\n");
        return 1;
    }
    for (HWND w : windows)
        PostMessageA(w, WM_COMMAND, command, 0);
    if (command != ID_TRAY_EXIT)
        return 0;
    for (int i = 0; i < 150; ++i) {
        bool anyLeft = false;
        for (HWND w : windows)
            anyLeft = anyLeft || IsWindow(w);
        if (!anyLeft)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::fprintf(stderr, "kvremote_ctl: kvRemote did not end\n");
    return 1;
}
