// A program started by a test, ended by that test: the destructor terminates it (and anything it
// started) if it is still running.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kve2e {

struct StartOptions {
    std::vector<std::string> args;    // quoted for the C runtime's argument parser as needed
    std::filesystem::path workingDir; // empty: the program's own folder
    // Changes to the test's environment for the child: a value sets a variable, nullopt removes it.
    std::map<std::string, std::optional<std::string>> env;
    DWORD creationFlags = 0; // e.g. DETACHED_PROCESS or CREATE_NEW_CONSOLE
};

class Process {
public:
    // Starts exe; throws std::runtime_error (with the system's error code) when it cannot.
    static Process Start(const std::filesystem::path& exe, const StartOptions& options = {});

    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    DWORD Pid() const { return pid_; }
    HANDLE Handle() const { return process_; }
    const std::string& Name() const { return name_; }
    bool IsRunning() const;
    // The exit code once the program has ended, nullopt while it runs.
    std::optional<DWORD> ExitCode() const;
    // Waits for the program to end on its own.
    testing::AssertionResult WaitForExit(Millis timeout = kWait) const;
    // Ends the program (and its children) now and waits for it to be gone. Safe to repeat.
    void Terminate();

private:
    Process() = default;
    void Release();

    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr; // kills what the program started when the job handle closes
    DWORD pid_ = 0;
    std::string name_;
};

// One argument quoted so that CommandLineToArgvW and the C runtime give it back unchanged.
std::string QuoteArgument(const std::string& arg);

} // namespace kve2e
