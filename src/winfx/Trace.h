#pragma once
// Traces of Win32 failures that matter, for a debugger or DebugView (OutputDebugStringA): the
// call that failed and its error code, or a peer's remark. Nothing is shown to the user here.
#include <string_view>

// "<call> failed, error <code>". TraceLastError takes the code from GetLastError.
void TraceFailure(const char* call, unsigned long code);
void TraceLastError(const char* call);
// "<who>: <text>", such as what a peer refused.
void TraceRemark(std::string_view who, std::string_view text);
