#pragma once
// kvsim's command line turned into one line of the injection protocol:
//   key DEV SCAN press|release|STATE [e0|e1]   button DEV left-down|...|x2-up
//   wheel DEV DELTA   hwheel DEV DELTA   move DEV   mouse DEV STATE [WHEEL]
//   fail [DEV]   [quiet] plug DEV ID   [quiet] unplug DEV   stall MS   crash
//   log   reset-log   ping   filters
#include <string>
#include <vector>

struct KvsimRequest {
    std::string line;           // protocol line to send
    bool expectsAnswer = false; // log, ping and filters wait for the driver's answer
    std::string error;          // not empty: the arguments were wrong
};

KvsimRequest KvsimRequestFrom(const std::vector<std::string>& args);
