#include "capture/ThreadStarter.h"
#include <atomic>
#include <chrono>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace {

// std::thread has no timed join: the body marks its end in a flag shared with the handle, so a
// thread left running after a time-out can still store it safely.
struct Running {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> ended;
};

} // namespace

std::uintptr_t StdThreadStarter::Start(Body body, void* arg) {
    try {
        auto running = std::make_unique<Running>();
        running->ended = std::make_shared<std::atomic<bool>>(false);
        running->thread = std::thread(
            [body, arg](std::shared_ptr<std::atomic<bool>> ended) {
                body(arg);
                ended->store(true, std::memory_order_release);
            },
            running->ended);
        return reinterpret_cast<std::uintptr_t>(running.release());
    } catch (const std::system_error&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

bool StdThreadStarter::Join(std::uintptr_t handle, unsigned long timeoutMs) {
    std::unique_ptr<Running> running(reinterpret_cast<Running*>(handle));
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!running->ended->load(std::memory_order_acquire) && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!running->ended->load(std::memory_order_acquire)) {
        running->thread.detach();
        return false;
    }
    running->thread.join();
    return true;
}
