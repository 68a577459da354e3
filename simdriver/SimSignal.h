#pragma once
// The wake of the thread waiting for a held stroke: an auto-reset event, as the real driver's
// wait is an event wait (a condition variable costs Wine several more server calls per wake).
// One waiter; a signal set while nobody waits wakes the next wait at once.
class SimSignal {
public:
    SimSignal();
    ~SimSignal();
    SimSignal(const SimSignal&) = delete;
    SimSignal& operator=(const SimSignal&) = delete;

    void Set();
    // False when the time ran out; 0xFFFFFFFF waits without limit.
    bool Wait(unsigned long milliseconds);

private:
    void* event_;
};
