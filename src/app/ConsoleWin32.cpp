#include "app/ConsoleWin32.h"
#include "app/CommandLine.h"
#include <cstdio>
#include <windows.h>

bool AttachParentConsole() {
    return AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
}

void WriteConsoleError(const std::string& message) {
    if (std::freopen("CONOUT$", "w", stdout)) {
        std::fputs(FormatConsoleLine(message).c_str(), stdout);
        std::fflush(stdout);
    }
    FreeConsole();
}
