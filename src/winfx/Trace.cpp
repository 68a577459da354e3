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

void TraceRemark(std::string_view who, std::string_view text) {
    const std::string line = "kvRemote: " + std::string(who) + ": " + std::string(text) + "\n";
    ::OutputDebugStringA(line.c_str());
}
