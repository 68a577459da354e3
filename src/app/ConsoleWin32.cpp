#include "app/ConsoleWin32.h"
#include <cstdio>
#include <windows.h>

bool AttachParentConsole() {
    if (AttachConsole(ATTACH_PARENT_PROCESS))
        return true;
    // ERROR_ACCESS_DENIED means the process is attached to a console already (Wine attaches a GUI
    // child to its launcher's console); the line belongs there just the same.
    return GetLastError() == ERROR_ACCESS_DENIED;
}

void WriteConsoleError(const std::string& line) {
    if (std::freopen("CONOUT$", "w", stdout)) {
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
    }
    FreeConsole();
}
