#pragma once
// The program's command line: "-a"/"--alternate-appdata" DIR and "-i"/"--alternate-ini" NAME.
#include "app/FileSystem.h"
#include "winfx/Texts.h"
#include <string>
#include <vector>

struct CommandLineOptions {
    std::string alternateDir;
    std::string iniName; // already reduced to its last path component
};

// Scans the process arguments (argument 0 is the program and is skipped). Options are compared
// without regard to case and take the next argument literally; a later option wins; an option
// without a value and any other argument are ignored.
CommandLineOptions ParseCommandLine(const std::vector<std::string>& args);

// The -i name's last path component: what follows the later of the last '\' and the last '/'.
std::string LastPathComponent(const std::string& name);

// Checks the -i name, then the -a directory (creating its folders when possible). On failure fills
// the message of the first failing check (IDS_BAD_INI_NAME or IDS_BAD_ALTERNATE_DIR with the
// value) and returns false. A name or directory whose resulting configuration path would not fit
// in kMaxPath is refused with its option's message.
bool CheckCommandLine(const std::string& iniName, const std::string& alternateDir, FileSystem& fs,
                      const Texts& texts, std::string& message);

// The line a command-line error shows on the parent's console (IDS_CONSOLE_LINE and a line end).
std::string FormatConsoleLine(const Texts& texts, const std::string& message);
