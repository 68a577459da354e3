#pragma once
// kvlisten's command line:
//   kvlisten [--port N] [--json] [--app ID] [--destination D] [--count N] [--timeout S]
#include "settings/SettingDefaults.h"

#include <optional>
#include <string>
#include <vector>

// The port the program sends to unless its settings say otherwise.
inline constexpr unsigned short kDefaultListenPort = static_cast<unsigned short>(kDefaultPort);

struct ListenOptions {
    unsigned short port = kDefaultListenPort;
    bool json = false;
    bool help = false;
    std::optional<std::string> app;         // only lines with this application ID
    std::optional<std::string> destination; // only lines with this destination (may be empty)
    long count = 0;                         // end after this many datagrams shown; 0: no limit
    double timeoutSeconds = 0;              // end (exit 1) after this long; 0: no limit
    std::string error;                      // set when the command line is refused
};

ListenOptions ParseListenOptions(const std::vector<std::string>& args);

// The usage text, ending with a line break.
std::string ListenUsage();
