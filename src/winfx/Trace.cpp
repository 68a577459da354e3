#include "winfx/Trace.h"

#include <windows.h>

#include <string>

void TraceFailure(const char* call, unsigned long code) {
    const std::string line =
        "kvRemote: " + std::string(call) + " failed, error " + std::to_string(code) + "\n";
    ::OutputDebugStringA(line.c_str());
}

void TraceLastError(const char* call) {
    TraceFailure(call, ::GetLastError());
}
