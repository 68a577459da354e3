#pragma once
// Starting and joining the capture thread. The Windows adapter creates it suspended, raises it to
// THREAD_PRIORITY_HIGHEST and resumes it; StdThreadStarter serves everywhere else.
#include <cstdint>

class ThreadStarter {
public:
    using Body = void (*)(void* arg);

    virtual ~ThreadStarter() = default;
    // Runs body(arg) on a new thread; returns its handle, 0 when no thread could be made.
    virtual std::uintptr_t Start(Body body, void* arg) = 0;
    // Waits without limit for the thread to end, then releases the handle.
    virtual void Join(std::uintptr_t handle) = 0;
};

class StdThreadStarter : public ThreadStarter {
public:
    std::uintptr_t Start(Body body, void* arg) override;
    void Join(std::uintptr_t handle) override;
};
