#include "SimSignal.h"

#include <windows.h>

SimSignal::SimSignal() : event_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

SimSignal::~SimSignal() {
    CloseHandle(event_);
}

void SimSignal::Set() {
    SetEvent(event_);
}

bool SimSignal::Wait(unsigned long milliseconds) {
    return WaitForSingleObject(event_, milliseconds) == WAIT_OBJECT_0;
}
