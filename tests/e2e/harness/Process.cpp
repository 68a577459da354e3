#include "Process.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace kve2e {

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(toupper(c)); });
    return s;
}

// The test's environment with the changes applied, as an ANSI environment block. Names compare
// without case, as Windows does; the block is sorted as CreateProcess documents.
std::string EnvironmentBlock(const std::map<std::string, std::optional<std::string>>& changes) {
    std::map<std::string, std::string> vars; // upper-cased name -> "Name=value"
    char* strings = GetEnvironmentStringsA();
    for (const char* p = strings; p != nullptr && *p != '\0'; p += strlen(p) + 1) {
        const std::string entry(p);
        const auto eq = entry.find('=', 1); // "=C:=C:\..." entries start with '='
        if (eq != std::string::npos) {
            vars[Upper(entry.substr(0, eq))] = entry;
        }
    }
    if (strings != nullptr) {
        FreeEnvironmentStringsA(strings);
    }
    for (const auto& [name, value] : changes) {
        if (value) {
            vars[Upper(name)] = name + "=" + *value;
        } else {
            vars.erase(Upper(name));
        }
    }
    std::string block;
    for (const auto& [key, entry] : vars) {
        block += entry;
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

std::runtime_error StartError(const std::filesystem::path& exe, const char* step) {
    return std::runtime_error("cannot start " + exe.string() + " (" + step + " failed, error " +
                              std::to_string(GetLastError()) + ")");
}

// ANSI text (the arguments) in UTF-16, as CreateProcessA would have widened it.
std::wstring WideFromAnsi(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                      static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(n > 0 ? n : 0));
    return wide;
}

} // namespace

std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
        return arg;
    }
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes are literal unless they precede a quote: then each is doubled.
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\'); // they precede the closing quote
    out.push_back('"');
    return out;
}

Process Process::Start(const std::filesystem::path& exe, const StartOptions& options) {
    // The program's path in UTF-16, so it may lie in a folder of any name.
    std::string args;
    for (const auto& arg : options.args) {
        args += ' ';
        args += QuoteArgument(arg);
    }
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"" + WideFromAnsi(args);
    const std::filesystem::path dir = options.workingDir.empty() ? exe.parent_path() : options.workingDir;
    std::string env;
    if (!options.env.empty()) {
        env = EnvironmentBlock(options.env);
    }

    Process p;
    p.name_ = exe.filename().string();
    p.job_ = CreateJobObjectA(nullptr, nullptr);
    if (p.job_ != nullptr) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(p.job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Under load Wine now and then fails a start with ERROR_INTERNAL_ERROR (seen once in several
    // hundred starts of a program that gets a new console); that is the host's hiccup, not the
    // program's, so such a start is tried again a few times.
    for (int attempt = 1;; ++attempt) {
        // The environment block stays ANSI (no CREATE_UNICODE_ENVIRONMENT).
        if (CreateProcessW(exe.wstring().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                           options.creationFlags | CREATE_SUSPENDED, env.empty() ? nullptr : env.data(),
                           dir.wstring().c_str(), &si, &pi))
            break;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 3)
            throw StartError(exe, "CreateProcess");
        Sleep(200);
    }
    // Best effort: without the job the destructor still ends the program itself.
    if (p.job_ != nullptr && !AssignProcessToJobObject(p.job_, pi.hProcess)) {
        CloseHandle(p.job_);
        p.job_ = nullptr;
    }
    p.process_ = pi.hProcess;
    p.pid_ = pi.dwProcessId;
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    return p;
}

Process::Process(Process&& other) noexcept {
    *this = std::move(other);
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Release();
        process_ = std::exchange(other.process_, nullptr);
        job_ = std::exchange(other.job_, nullptr);
        pid_ = std::exchange(other.pid_, 0);
        name_ = std::move(other.name_);
    }
    return *this;
}

Process::~Process() {
    Release();
}

void Process::Release() {
    Terminate();
    if (job_ != nullptr) {
        CloseHandle(job_);
        job_ = nullptr;
    }
    if (process_ != nullptr) {
        CloseHandle(process_);
        process_ = nullptr;
    }
}

bool Process::IsRunning() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::ExitCode() const {
    if (process_ == nullptr || IsRunning()) {
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) {
        return std::nullopt;
    }
    return code;
}

testing::AssertionResult Process::WaitForExit(Millis timeout) const {
    if (process_ == nullptr) {
        return testing::AssertionFailure() << "no program was started";
    }
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure()
           << name_ << " (pid " << pid_ << ") still running after " << timeout.count() << " ms";
}

void Process::Terminate() {
    if (job_ != nullptr) {
        TerminateJobObject(job_, 1); // the program and whatever it started
    }
    if (IsRunning()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
}

} // namespace kve2e
