#pragma once
// The waits between attempts to reach a peer: the first wait (1 s), doubled after every failure
// (2 s, 4 s, ...) and never longer than the connection's cap. Starts again at the first wait once
// the peer has answered.
#include "connections/ConnectionClient.h"

class ReconnectSchedule {
public:
    explicit ReconnectSchedule(MonoMs firstMs = 1000, MonoMs capMs = 5000);

    // The wait before the next attempt, after a failure; every call moves the schedule on.
    MonoMs NextDelay();
    // The peer answered: the next failure waits the first wait again.
    void Reset() { next_ = first_; }

private:
    MonoMs first_;
    MonoMs cap_;
    MonoMs next_;
};
