#include "KvsimArgs.h"

#include <cstdint>

namespace {

struct Button {
    const char* name;
    std::uint16_t state;
};
constexpr Button kButtons[] = {
    {"left-down", 1},  {"left-up", 2},  {"right-down", 4}, {"right-up", 8},  {"middle-down", 16},
    {"middle-up", 32}, {"x1-down", 64}, {"x1-up", 128},    {"x2-down", 256}, {"x2-up", 512},
};

KvsimRequest Error(const std::string& why) {
    KvsimRequest r;
    r.error = why;
    return r;
}

KvsimRequest Line(const std::string& line, bool expectsAnswer = false) {
    KvsimRequest r;
    r.line = line;
    r.expectsAnswer = expectsAnswer;
    return r;
}

} // namespace

KvsimRequest KvsimRequestFrom(const std::vector<std::string>& a) {
    if (a.empty())
        return Error("no command");
    const std::string& verb = a[0];
    if (verb == "quiet" && a.size() >= 2 && (a[1] == "plug" || a[1] == "unplug")) {
        KvsimRequest r = KvsimRequestFrom(std::vector<std::string>(a.begin() + 1, a.end()));
        if (r.error.empty())
            r.line = "quiet " + r.line;
        return r;
    }
    if (verb == "plug" && a.size() >= 3) {
        // The id is the rest of the line, as in the description file: words are joined again.
        std::string line = "plug " + a[1];
        for (size_t i = 2; i < a.size(); ++i)
            line += " " + a[i];
        return Line(line);
    }
    if (verb == "unplug" && a.size() == 2)
        return Line("unplug " + a[1]);
    if (verb == "fail" && a.size() == 2)
        return Line("fail " + a[1]);
    const size_t n = a.size();
    if (verb == "key" && (n == 4 || n == 5)) {
        unsigned state = 0;
        if (a[3] == "press")
            state = 0;
        else if (a[3] == "release")
            state = 1;
        else if (n == 4)
            return Line("key " + a[1] + " " + a[2] + " " + a[3]);
        else
            return Error("key state must be press or release: " + a[3]);
        if (n == 5) {
            if (a[4] == "e0")
                state |= 2;
            else if (a[4] == "e1")
                state |= 4;
            else
                return Error("prefix must be e0 or e1: " + a[4]);
        }
        return Line("key " + a[1] + " " + a[2] + " " + std::to_string(state));
    }
    if (verb == "button" && n == 3) {
        for (const Button& b : kButtons) {
            if (a[2] == b.name)
                return Line("mouse " + a[1] + " " + std::to_string(b.state) + " 0");
        }
        return Error("unknown button transition: " + a[2]);
    }
    if (verb == "wheel" && n == 3)
        return Line("mouse " + a[1] + " 1024 " + a[2]);
    if (verb == "hwheel" && n == 3)
        return Line("mouse " + a[1] + " 2048 " + a[2]);
    if (verb == "move" && n == 2)
        return Line("move " + a[1]);
    if (verb == "mouse" && (n == 3 || n == 4))
        return Line("mouse " + a[1] + " " + a[2] + " " + (n == 4 ? a[3] : "0"));
    if (n == 1 && (verb == "fail" || verb == "reset-log" || verb == "crash"))
        return Line(verb);
    if (verb == "stall" && n == 2)
        return Line("stall " + a[1]);
    if (n == 1 && (verb == "log" || verb == "ping" || verb == "filters"))
        return Line(verb + "?", true);
    return Error("unknown command or wrong number of arguments: " + verb);
}
