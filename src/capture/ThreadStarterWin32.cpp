#include "capture/CaptureWin32.h"
#include "winfx/ScopedHandle.h"
#include "winfx/Trace.h"
#include <windows.h>

namespace {

struct StartArgs {
    ThreadStarter::Body body;
    void* arg;
};

// The new thread takes over the arguments and frees them before running the body.
DWORD WINAPI Trampoline(LPVOID param) {
    auto* args = static_cast<StartArgs*>(param);
    const StartArgs copy = *args;
    delete args;
    copy.body(copy.arg);
    return 0;
}

} // namespace

std::uintptr_t ThreadStarterWin32::Start(Body body, void* arg) {
    auto* args = new StartArgs{body, arg};
    ScopedHandle thread(CreateThread(nullptr, 0, Trampoline, args, CREATE_SUSPENDED, nullptr));
    if (!thread) {
        TraceLastError("CreateThread");
        delete args;
        return 0;
    }
    if (!SetThreadPriority(thread.Get(), THREAD_PRIORITY_HIGHEST))
        TraceLastError("SetThreadPriority");
    if (ResumeThread(thread.Get()) == static_cast<DWORD>(-1))
        TraceLastError("ResumeThread");
    // The handle is the controller's from here until Join.
    return reinterpret_cast<std::uintptr_t>(thread.Release());
}

bool ThreadStarterWin32::Join(std::uintptr_t handle, unsigned long timeoutMs) {
    // Closing the handle leaves a thread that has not ended running on its own.
    const ScopedHandle thread(reinterpret_cast<HANDLE>(handle));
    const DWORD waited = WaitForSingleObject(thread.Get(), timeoutMs);
    if (waited == WAIT_FAILED)
        TraceLastError("WaitForSingleObject on a capture thread");
    return waited == WAIT_OBJECT_0;
}
