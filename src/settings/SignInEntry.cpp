#include "settings/SignInEntry.h"

#include <algorithm>

namespace {

bool NeedsQuotes(const std::string& argument) {
    return argument.empty() || argument.find_first_of(" \t\n\v\"") != std::string::npos;
}

std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The first argument of a command line, as the run-time library reads a program's name: up to the
// closing quote when it starts with one, else up to the first blank or tab.
std::string FirstArgument(const std::string& command) {
    std::size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos)
        return {};
    if (command[start] == '"') {
        const std::size_t end = command.find('"', start + 1);
        return command.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
    }
    const std::size_t end = command.find_first_of(" \t", start);
    return command.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

} // namespace

std::string QuoteArgument(const std::string& argument) {
    if (!NeedsQuotes(argument))
        return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled and the quote escaped; elsewhere they are literal.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(backslashes * 2, '\\'); // before the closing quote
    return quoted + '"';
}

std::string ComposeRunCommand(const std::string& programPath, const std::string& alternateDir,
                              const std::string& iniName) {
    std::string command = '"' + programPath + '"';
    if (!alternateDir.empty())
        command += " -a " + QuoteArgument(alternateDir);
    if (!iniName.empty())
        command += " -i " + QuoteArgument(iniName);
    return command;
}

bool RunCommandNamesProgram(const std::string& command, const std::string& programPath, SamePath samePath) {
    const std::string first = FirstArgument(command);
    return !first.empty() && samePath(WithBackslashes(first), WithBackslashes(programPath));
}

bool SignInEntry::IsOn() const {
    const std::optional<std::string> value = store_.Read();
    return value && RunCommandNamesProgram(*value, programPath_, samePath_);
}

bool SignInEntry::Set(bool on) {
    return on ? store_.Write(command_) : store_.Remove();
}
