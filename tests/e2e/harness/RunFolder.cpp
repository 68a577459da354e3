#include "RunFolder.h"

#include "FileText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace kve2e {
namespace fs = std::filesystem;

namespace {

std::string CurrentTestLabel() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    if (info == nullptr) {
        return "run";
    }
    return std::string(info->test_suite_name()) + "." + info->name();
}

// Parameterised test names carry '/', which must not make sub-folders.
std::string Sanitised(std::string label) {
    for (char& c : label) {
        if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
            c == '|') {
            c = '_';
        }
    }
    return label;
}

fs::path RunRoot() {
    if (const char* root = std::getenv("KV_E2E_RUN_ROOT"); root != nullptr && *root != '\0') {
        return root;
    }
    return ProgramFolder() / "e2e-runs";
}

} // namespace

fs::path ProgramFolder() {
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    return fs::path(std::wstring(buffer, n)).parent_path();
}

RunFolder::RunFolder(std::string_view name) {
    const std::string label = Sanitised(name.empty() ? CurrentTestLabel() : std::string(name));
    path_ = RunRoot() / label;
    std::error_code ec;
    fs::remove_all(path_, ec); // left over by a run with KV_E2E_KEEP set, or by a crash
    fs::create_directories(path_, ec);
    if (ec || !fs::is_directory(path_)) {
        throw std::runtime_error("cannot create run folder " + path_.string() + ": " + ec.message());
    }
}

RunFolder::~RunFolder() {
    if (std::getenv("KV_E2E_KEEP") != nullptr) {
        return;
    }
    // A program that just ended may still hold a file for a moment; retry briefly.
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::error_code ec;
        fs::remove_all(path_, ec);
        if (!ec) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

fs::path RunFolder::Copy(const fs::path& file, std::string_view as) {
    const fs::path target = path_ / (as.empty() ? file.filename() : fs::path(std::string(as)));
    std::error_code ec;
    fs::copy_file(file, target, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        throw std::runtime_error("cannot copy " + file.string() + " into the run folder: " + ec.message());
    }
    return target;
}

fs::path RunFolder::Write(std::string_view name, std::string_view text) {
    const fs::path target = path_ / fs::path(std::string(name));
    if (!WriteFileText(target, text)) {
        throw std::runtime_error("cannot write " + target.string());
    }
    return target;
}

} // namespace kve2e
