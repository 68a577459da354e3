#pragma once
// One line of the injection protocol, read into a command:
//   key DEV SCAN STATE     a keyboard stroke (DEV 1-10; numbers decimal or 0x hex)
//   mouse DEV STATE [WHEEL] a mouse stroke (DEV 11-20; WHEEL signed, default 0)
//   move DEV               a mouse move (button state 0)
//   fail [DEV]             from now on the wait answers DEV (default: the lowest device present)
//                          at once and every receive reads nothing, as the real library fails
//   [quiet] plug DEV ID    a device arrives at DEV (1-20) with hardware id ID (rest of the line)
//   [quiet] unplug DEV     the device at DEV goes; quiet: no device-change message is posted
//   stall MS               the next wait blocks for MS milliseconds, whatever its time-out
//   crash                  the next receive raises an access violation on the calling thread
//   log?                   answer with the record
//   reset-log              empty the record
//   ping?                  answer "pong" (all earlier lines have been handled)
//   timing?                answer the summary of re-injection times and counts
//   filters?               answer the current filter of devices 1-20
//   held?                  answer how many strokes are held and not yet received
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
        PLUG,
        UNPLUG,
        FILTERS_QUERY,
        HELD_QUERY,
        EMPTY,
        INVALID
    } kind = EMPTY;
    int device = 0;                 // 0 for FAIL: none named
    unsigned long milliseconds = 0; // for STALL
    Stroke stroke{};
    std::string id;     // for PLUG
    bool quiet = false; // for PLUG and UNPLUG
    std::string error;  // for INVALID
};

SimCommand ParseSimCommand(std::string_view line);
