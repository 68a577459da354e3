#pragma once
// Owner of a kernel handle (a thread, an event, a file): closed with its owner.
#include "winfx/ScopedResource.h"

#include <windows.h>

struct KernelHandleTraits {
    static bool Valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Free(HANDLE handle) { ::CloseHandle(handle); }
};

using ScopedHandle = ScopedResource<HANDLE, KernelHandleTraits>;
