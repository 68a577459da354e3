#include "SimCommand.h"

#include "StrokeText.h"
#include "capture/DeviceClass.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line) {
        if (Blank(c)) {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(std::move(word));
    return words;
}

// A whole word as a number in [low, high], decimal or 0x hex, optionally signed.
bool Number(const std::string& word, long low, long high, long& value) {
    errno = 0;
    char* end = nullptr;
    value = std::strtol(word.c_str(), &end, 0);
    return errno == 0 && end != word.c_str() && *end == '\0' && value >= low && value <= high;
}

// The line after its first `skip` words, without leading and trailing blanks: a hardware id may
// hold blanks, as in the description file.
std::string Rest(std::string_view line, size_t skip) {
    size_t i = 0;
    for (size_t word = 0; word <= skip; ++word) {
        while (i < line.size() && Blank(line[i]))
            ++i;
        if (word == skip)
            break;
        while (i < line.size() && !Blank(line[i]))
            ++i;
    }
    size_t end = line.size();
    while (end > i && Blank(line[end - 1]))
        --end;
    return std::string(line.substr(i, end - i));
}

SimCommand Invalid(std::string_view line, const char* why) {
    SimCommand c;
    c.kind = SimCommand::INVALID;
    c.error = std::string(why) + ": " + std::string(line);
    return c;
}

} // namespace

SimCommand ParseSimCommand(std::string_view line) {
    const std::vector<std::string> w = Words(line);
    SimCommand c;
    if (w.empty())
        return c;
    const bool quiet = w[0] == "quiet";
    const size_t first = quiet ? 1 : 0; // index of the verb
    if (first >= w.size())
        return Invalid(line, "usage quiet plug DEV ID | quiet unplug DEV");
    const std::string& verb = w[first];
    const size_t n = w.size() - first;
    long device = 0, a = 0, b = 0;
    if (verb == "plug" || verb == "unplug") {
        const bool plug = verb == "plug";
        if (plug ? n < 3 : n != 2)
            return Invalid(line, plug ? "usage plug DEV ID" : "usage unplug DEV");
        if (!Number(w[first + 1], kFirstKeyboard, kLastMouse, device))
            return Invalid(line, "not a device number 1-20");
        c.kind = plug ? SimCommand::PLUG : SimCommand::UNPLUG;
        c.device = static_cast<int>(device);
        c.quiet = quiet;
        if (plug)
            c.id = Rest(line, first + 2);
        return c;
    } else if (quiet) {
        return Invalid(line, "usage quiet plug DEV ID | quiet unplug DEV");
    } else if (verb == "fail") {
        if (n > 2 || (n == 2 && !Number(w[1], kFirstKeyboard, kLastMouse, device)))
            return Invalid(line, "usage fail [DEV] (DEV 1-20)");
        c.kind = SimCommand::FAIL;
        c.device = static_cast<int>(device);
        return c;
    } else if (verb == "key") {
        if (n != 4)
            return Invalid(line, "usage key DEV SCAN STATE");
        if (!Number(w[1], kFirstKeyboard, kLastKeyboard, device))
            return Invalid(line, "not a keyboard");
        if (!Number(w[2], 0, 0xFFFF, a) || !Number(w[3], 0, 0xFFFF, b))
            return Invalid(line, "bad number");
        c.stroke = KeyStroke(static_cast<unsigned short>(a), static_cast<unsigned short>(b));
    } else if (verb == "mouse" || verb == "move") {
        const bool move = verb == "move";
        if (move ? n != 2 : (n != 3 && n != 4))
            return Invalid(line, move ? "usage move DEV" : "usage mouse DEV STATE [WHEEL]");
        if (!Number(w[1], kFirstMouse, kLastMouse, device))
            return Invalid(line, "not a mouse");
        if (!move && (!Number(w[2], 0, 0xFFFF, a) || (n == 4 && !Number(w[3], -32768, 32767, b))))
            return Invalid(line, "bad number");
        c.stroke = MouseStroke(static_cast<unsigned short>(a), static_cast<short>(b));
    } else if (verb == "stall") {
        if (n != 2 || !Number(w[1], 1, 3600000, a))
            return Invalid(line, "usage stall MS (1-3600000)");
        c.kind = SimCommand::STALL;
        c.milliseconds = static_cast<unsigned long>(a);
        return c;
    } else if (n != 1) {
        return Invalid(line, "unknown command");
    } else if (verb == "crash") {
        c.kind = SimCommand::CRASH;
        return c;
    } else if (verb == "log?") {
        c.kind = SimCommand::LOG_QUERY;
        return c;
    } else if (verb == "reset-log") {
        c.kind = SimCommand::RESET_LOG;
        return c;
    } else if (verb == "ping?") {
        c.kind = SimCommand::PING;
        return c;
    } else if (verb == "timing?") {
        c.kind = SimCommand::TIMING_QUERY;
        return c;
    } else if (verb == "filters?") {
        c.kind = SimCommand::FILTERS_QUERY;
        return c;
    } else if (verb == "held?") {
        c.kind = SimCommand::HELD_QUERY;
        return c;
    } else if (verb == "reset-timing") {
        c.kind = SimCommand::RESET_TIMING;
        return c;
    } else {
        return Invalid(line, "unknown command");
    }
    c.kind = SimCommand::STROKE;
    c.device = static_cast<int>(device);
    return c;
}
