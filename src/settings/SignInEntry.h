#pragma once
// Start at sign-in for the user who runs the program: the per-user Run value that starts this
// program with the options it was started with. The tray menu's "Start when I sign in" shows and
// sets it. The value itself is read and written through RunValueStore (the registry on Windows).
// Paths and commands here are UTF-8, so a folder of any name survives the round trip.
#include "base/AsciiCase.h"
#include "settings/RunValueStore.h"

#include <optional>
#include <string>
#include <string_view>

// The argument as the run-time library's command-line splitting gives it back: quoted when empty
// or holding a blank, a tab or a quote, with backslashes before a quote and at the end doubled.
std::string QuoteArgument(const std::string& argument);

// The quoted program path, then "-a DIR" and "-i NAME" for the options that were given.
std::string ComposeRunCommand(const std::string& programPath, const std::string& alternateDir,
                              const std::string& iniName);

// Whether two paths, their slashes already made alike, name the same file. Windows compares them
// letter by letter without regard to case (CompareStringOrdinal); this default folds ASCII only.
using SamePath = bool (*)(std::string_view a, std::string_view b);

// The program a Run command starts (its first argument, quoted or not) is programPath, by samePath
// with '/' and '\' alike.
bool RunCommandNamesProgram(const std::string& command, const std::string& programPath,
                            SamePath samePath = SameIgnoringAsciiCase);

class SignInEntry {
public:
    // command: what the value holds when on (ComposeRunCommand).
    SignInEntry(RunValueStore& store, std::string programPath, std::string command,
                SamePath samePath = SameIgnoringAsciiCase)
        : store_(store), programPath_(std::move(programPath)), command_(std::move(command)),
          samePath_(samePath) {}

    // The value names this program (whatever options it has).
    bool IsOn() const;
    // On writes the command, replacing a value that names another program; off deletes the value.
    // False when the change could not be made.
    bool Set(bool on);

private:
    RunValueStore& store_;
    std::string programPath_;
    std::string command_;
    SamePath samePath_;
};
