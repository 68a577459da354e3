#pragma once
// A program the test starts (POSIX): its output read line by line, stopped by its process id.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ChildProcess {
public:
    // The program's path on PATH or in the system folders (mosquitto lives in /usr/sbin); empty when
    // it is not installed.
    static std::string Find(std::string_view name);

    // Starts argv with `input` on its standard input; its standard output comes to us.
    explicit ChildProcess(const std::vector<std::string>& argv, std::string_view input = {});
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // The next whole line, without its end, or nothing when none comes in time or the output ended.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Lines up to and including the first one that holds `text`; nothing when it does not come in time.
    std::optional<std::vector<std::string>> ReadUntil(std::string_view text,
                                                      std::chrono::milliseconds timeout);
    // The lines that come within `duration`.
    std::vector<std::string> ReadFor(std::chrono::milliseconds duration);
    // Waits for the program to end by itself; its exit code, -1 when it did not end in time.
    int Wait(std::chrono::milliseconds timeout);
    // Ends it (SIGTERM, then SIGKILL) and reaps it.
    void Stop();

private:
    int pid_ = -1;
    int out_ = -1;
    std::string buffered_;
};
