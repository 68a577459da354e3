// Where the suite finds the fixture programs (built beside it) and a helper to start the dialog.
#pragma once

#include "FixtureIds.h"
#include "Process.h"
#include "RunFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kve2e {

inline std::filesystem::path FixtureProgram(const char* name) {
    return ProgramFolder() / name;
}

// A title no other test's window has, so a window left by an earlier failure cannot be mistaken.
inline std::string UniqueTitle() {
    return std::string(FIXTURE_TITLE " ") + testing::UnitTest::GetInstance()->current_test_info()->name();
}

inline Process StartFixtureApp(const RunFolder& folder, std::vector<std::string> args = {}) {
    StartOptions options;
    options.args = std::move(args);
    options.workingDir = folder.Path();
    return Process::Start(FixtureProgram("harness_fixture_app.exe"), options);
}

} // namespace kve2e
