#include "remote/RemoteLineParser.h"

#include <charconv>
#include <cstdint>

namespace {

// A number as the program writes it: decimal, a minus sign only when negative, no leading zeros,
// no plus sign or blanks, within [min, max].
bool ParsePlainDecimal(std::string_view text, int64_t min, int64_t max, int64_t& out) {
    const std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
    if (digits.empty() || digits.size() > 10 || (digits[0] == '0' && text.size() > 1))
        return false;
    for (const char c : digits)
        if (c < '0' || c > '9')
            return false;
    int64_t v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    if (v < min || v > max)
        return false;
    out = v;
    return true;
}

// Takes the quoted field at the front of rest: rest must start with a quote; the field runs to the
// next quote. Returns false when there is no closing quote.
bool TakeQuoted(std::string_view& rest, std::string_view& field) {
    const size_t close = rest.find('"', 1);
    if (!rest.starts_with('"') || close == std::string_view::npos)
        return false;
    field = rest.substr(1, close - 1);
    rest.remove_prefix(close + 1);
    return true;
}

RemoteLineParse Refuse(std::string_view why) {
    return RemoteLineParse{false, {}, why};
}

} // namespace

RemoteLineParse ParseRemoteLine(std::string_view line) {
    constexpr std::string_view kHead = "REMOTE: ";
    if (!line.starts_with(kHead))
        return Refuse("does not start with \"REMOTE: \"");
    if (line.find('\0') != std::string_view::npos)
        return Refuse("holds a NUL byte");
    std::string_view rest = line.substr(kHead.size());
    RemoteLineFields f;
    std::string_view command;
    if (!rest.starts_with('"'))
        return Refuse("no quote before the application ID");
    if (!TakeQuoted(rest, f.applicationId))
        return Refuse("the application ID has no closing quote");
    if (f.applicationId.empty())
        return Refuse("empty application ID");
    if (!rest.starts_with(" \""))
        return Refuse("no blank and quote before the destination");
    rest.remove_prefix(1);
    if (!TakeQuoted(rest, f.destination))
        return Refuse("the destination has no closing quote");
    if (!rest.starts_with(" \""))
        return Refuse("no blank and quote before the command");
    rest.remove_prefix(1);
    if (!TakeQuoted(rest, command))
        return Refuse("the command has no closing quote");
    if (rest.starts_with(" \""))
        return Refuse("more than three quoted fields (a quote inside a field?)");
    if (rest.starts_with(" 1") && rest.size() > 2)
        return Refuse("bytes after the trailing 1");
    if (rest != " 1")
        return Refuse("no blank and 1 after the command");

    // The text command is used as the settings hold it and may itself hold slashes: the three
    // numbers are the fields after the last three slashes.
    const size_t slash3 = command.rfind('/');
    const size_t slash2 = slash3 == std::string_view::npos || slash3 == 0 ? std::string_view::npos
                                                                          : command.rfind('/', slash3 - 1);
    const size_t slash1 = slash2 == std::string_view::npos || slash2 == 0 ? std::string_view::npos
                                                                          : command.rfind('/', slash2 - 1);
    if (slash1 == std::string_view::npos)
        return Refuse("the command is not TextCmd/code/value/index");
    f.textCmd = command.substr(0, slash1);
    if (f.textCmd.empty())
        return Refuse("empty text command");
    int64_t code = 0, value = 0, index = 0;
    if (!ParsePlainDecimal(command.substr(slash1 + 1, slash2 - slash1 - 1), INT32_MIN, INT32_MAX, code))
        return Refuse("the code is not a decimal 32-bit number");
    if (!ParsePlainDecimal(command.substr(slash2 + 1, slash3 - slash2 - 1), INT16_MIN, INT16_MAX, value))
        return Refuse("the value is not a decimal 16-bit number");
    if (!ParsePlainDecimal(command.substr(slash3 + 1), INT32_MIN, INT32_MAX, index))
        return Refuse("the index is not a decimal 32-bit number");
    f.code = static_cast<int32_t>(code);
    f.value = static_cast<int16_t>(value);
    f.index = static_cast<int32_t>(index);
    return RemoteLineParse{true, f, {}};
}
