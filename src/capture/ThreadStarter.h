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
    // Waits up to timeoutMs for the thread to end and releases the handle either way. A thread
    // that has not ended is left running on its own. True when it ended.
    virtual bool Join(std::uintptr_t handle, unsigned long timeoutMs) = 0;
};

class StdThreadStarter : public ThreadStarter {
public:
    std::uintptr_t Start(Body body, void* arg) override;
    bool Join(std::uintptr_t handle, unsigned long timeoutMs) override;
};
