// Base for end-to-end tests of kvRemote.exe: a run folder holding the program, KvCom.dll and the
// simulated interception.dll, the program's configuration file and the simulated driver's inputs.
//
//   class TrayTest : public kve2e::KvRemoteFixture {};
//   TEST_F(TrayTest, StartsInTheTray) {
//       WriteIni("[Network]\r\nBroadcastAddress=127.255.255.255\r\n");
//       WriteDevices("...");
//       Start({"-i", IniPath().string()});
//       ...
//   }
#pragma once

#include "Process.h"
#include "RunFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kve2e {

class KvRemoteFixture : public testing::Test {
protected:
    // Skips the test when the program or its libraries are not built; otherwise makes the run
    // folder and copies them in.
    void SetUp() override;
    // Ends the program if it still runs, then removes the run folder.
    void TearDown() override;

    RunFolder& Folder() { return *folder_; }
    std::filesystem::path ProgramPath() const;
    // Moves the program and its libraries into this sub-folder of the run folder (made here), where
    // Start runs it from then on.
    void PlaceProgramIn(const std::filesystem::path& subfolder);
    std::filesystem::path IniPath() const; // kvRemote.ini in the run folder

    // Writes kvRemote.ini (bytes as given) into the run folder.
    std::filesystem::path WriteIni(std::string_view text);
    // Writes the simulated driver's device description and names it in KVSIM_DEVICES.
    std::filesystem::path WriteDevices(std::string_view text);
    // The loopback port the simulated driver takes injected strokes on (KVSIM_PORT), chosen free.
    uint16_t SimPort();
    // The simulated driver's log of filters and re-injected strokes (KVSIM_LOG).
    std::filesystem::path SimLog();
    // Sets (or, with nullopt, removes) a variable of the program's environment.
    void SetEnv(const std::string& name, std::optional<std::string> value);

    // Starts kvRemote.exe in the run folder with the environment set up so far.
    Process& Start(const std::vector<std::string>& args = {});
    Process& Program() { return *program_; }
    bool Started() const { return program_.has_value(); }
    void Stop();

private:
    std::optional<RunFolder> folder_;
    std::filesystem::path programFolder_; // relative to the run folder; empty: the run folder
    std::optional<Process> program_;
    std::map<std::string, std::optional<std::string>> env_;
    std::optional<uint16_t> simPort_;
};

} // namespace kve2e
