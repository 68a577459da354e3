#pragma once
// Traces of Win32 failures that matter, for a debugger or DebugView (OutputDebugStringA): the
// call that failed and its error code. Nothing is shown to the user here.

// "<call> failed, error <code>". TraceLastError takes the code from GetLastError.
void TraceFailure(const char* call, unsigned long code);
void TraceLastError(const char* call);
