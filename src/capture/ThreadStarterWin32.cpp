#include "capture/CaptureWin32.h"
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
    HANDLE thread = CreateThread(nullptr, 0, Trampoline, args, CREATE_SUSPENDED, nullptr);
    if (thread == nullptr) {
        delete args;
        return 0;
    }
    SetThreadPriority(thread, THREAD_PRIORITY_HIGHEST);
    ResumeThread(thread);
    return reinterpret_cast<std::uintptr_t>(thread);
}

void ThreadStarterWin32::Join(std::uintptr_t handle) {
    HANDLE thread = reinterpret_cast<HANDLE>(handle);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}
