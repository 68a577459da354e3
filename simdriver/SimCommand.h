#pragma once
// One line of the injection protocol, read into a command:
//   key DEV SCAN STATE     a keyboard stroke (DEV 1-10; numbers decimal or 0x hex)
//   mouse DEV STATE [WHEEL] a mouse stroke (DEV 11-20; WHEEL signed, default 0)
//   move DEV               a mouse move (button state 0)
//   fail                   the next receive fails
//   stall MS               the next wait blocks for MS milliseconds, whatever its time-out
//   crash                  the next receive raises an access violation on the calling thread
//   log?                   answer with the record
//   reset-log              empty the record
//   ping?                  answer "pong" (all earlier lines have been handled)
//   timing?                answer the summary of re-injection times and counts
//   reset-timing           start that summary afresh
#include "capture/Stroke.h"

#include <string>
#include <string_view>

struct SimCommand {
    enum Kind {
        STROKE,
        FAIL,
        STALL,
        CRASH,
        LOG_QUERY,
        RESET_LOG,
        PING,
        TIMING_QUERY,
        RESET_TIMING,
        EMPTY,
        INVALID
    } kind = EMPTY;
    int device = 0;
    unsigned long milliseconds = 0; // for STALL
    Stroke stroke{};
    std::string error; // for INVALID
};

SimCommand ParseSimCommand(std::string_view line);
