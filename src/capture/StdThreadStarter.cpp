#include "capture/ThreadStarter.h"
#include <new>
#include <system_error>
#include <thread>

std::uintptr_t StdThreadStarter::Start(Body body, void* arg) {
    try {
        return reinterpret_cast<std::uintptr_t>(new std::thread(body, arg));
    } catch (const std::system_error&) {
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void StdThreadStarter::Join(std::uintptr_t handle) {
    auto* thread = reinterpret_cast<std::thread*>(handle);
    if (thread->joinable()) {
        thread->join();
    }
    delete thread;
}
