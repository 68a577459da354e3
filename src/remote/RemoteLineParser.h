#pragma once
// Reads a REMOTE line back into its fields, for receivers and tools that listen to kvRemote:
//   REMOTE: "<application ID>" "<destination>" "<text command>/<code>/<value>/<index>" 1
// A datagram is accepted only when it is exactly what the program composes for some fields, so an
// accepted line formats back to the same bytes; anything else is refused with a reason.
#include <cstdint>
#include <string_view>

struct RemoteLineFields {
    std::string_view applicationId; // never empty: the program sends "REMOTE" for an empty setting
    std::string_view destination;   // may be empty
    std::string_view textCmd;       // everything before the last three slashes of the command
    int32_t code = 0;
    int16_t value = 0;
    int32_t index = 0;
};

struct RemoteLineParse {
    bool ok = false;
    RemoteLineFields fields; // views into the parsed text, valid while it lives
    std::string_view error;  // why the datagram is not a REMOTE line, when !ok
};

RemoteLineParse ParseRemoteLine(std::string_view line);
