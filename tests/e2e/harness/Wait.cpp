#include "Wait.h"

#include <thread>

namespace kve2e {

testing::AssertionResult WaitUntil(const std::function<bool()>& pred, Millis timeout, std::string_view what) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (pred()) {
            return testing::AssertionSuccess();
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(kPollStep);
    }
    // One last look: the deadline may have passed while the condition came true.
    if (pred()) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << "timed out after " << timeout.count() << " ms waiting for " << what;
}

} // namespace kve2e
