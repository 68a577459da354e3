// A fresh folder per test under the build tree, holding the program's files and what it writes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kve2e {

// Created empty at construction, removed with its contents at destruction (unless the variable
// KV_E2E_KEEP is set, to look at what a failed test left). Folders live in "e2e-runs" beside the
// test program, or under KV_E2E_RUN_ROOT when that is set. Declare it before any Process started
// in it, so the programs end before their folder goes.
class RunFolder {
public:
    // name: a label for the folder; empty means the current test's "Suite.Name".
    explicit RunFolder(std::string_view name = {});
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }

    // Copies file into the folder (under `as` when given); returns the copy's path. Throws when the
    // file cannot be copied, so a missing build product fails the test plainly.
    std::filesystem::path Copy(const std::filesystem::path& file, std::string_view as = {});
    // Writes text (bytes as given) to a file in the folder; returns its path. Throws on failure.
    std::filesystem::path Write(std::string_view name, std::string_view text);

private:
    std::filesystem::path path_;
};

// The folder holding the running test program.
std::filesystem::path ProgramFolder();

} // namespace kve2e
