#pragma once
// A time-stamp trace of a captured event's way from the driver wait to the end of its handling,
// built only with the KV_LATENCY_TRACE option (never in the shipped program): KV_TRACE(step)
// compiles to nothing without it. The capture thread stamps its steps into a record of its own and
// hands it on when it posts; the user-interface thread takes the records in the order it handles
// the posted events. Fixed storage, no lock: fit for the capture thread.
enum TraceStep {
    kTraceWoken,      // the driver wait returned a device
    kTraceReceived,   // the stroke was read
    kTracePosting,    // translated, about to post
    kTracePosted,     // the post returned
    kTraceRetrieved,  // the user-interface thread has the message
    kTraceComposed,   // the command and the line are composed
    kTraceSent,       // the line went out
    kTraceShown,      // "Last command sent" updated
    kTraceForeground, // the foreground window asked
    kTraceTitled,     // the command put in the title, its timer restarted
    kTraceAnimated,   // tray animation started or prolonged
    kTraceSteps
};

#ifdef KV_LATENCY_TRACE
void TraceMark(TraceStep step);
// Writes the median and 99th percentile of every step's time since the step before it, apart for
// the events that put the command in the title and the others.
void TraceWrite(const char* path);
#define KV_TRACE(step) TraceMark(step)
#else
#define KV_TRACE(step) ((void)0)
#endif
