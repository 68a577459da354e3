// A stand-in for icacls.exe, for the installer's Wine suite (Wine's own icacls does nothing and
// answers 0). It appends its arguments as one UTF-8 line to the file named by KV_ICACLS_LOG and
// exits with the code in KV_ICACLS_EXIT (default 0). It changes nothing.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring env(const wchar_t* name) {
    wchar_t buf[2048];
    DWORD n = GetEnvironmentVariableW(name, buf, 2048);
    return n > 0 && n < 2048 ? std::wstring(buf, n) : std::wstring();
}

// The command line after the program's name, as the installer wrote it.
std::wstring arguments() {
    const wchar_t* p = GetCommandLineW();
    bool quoted = false;
    for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
        if (*p == L'"')
            quoted = !quoted;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    return p;
}

void record(const std::wstring& line) {
    std::wstring path = env(L"KV_ICACLS_LOG");
    if (path.empty())
        return;
    int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return;
    std::string utf8(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), n, nullptr, nullptr);
    utf8.back() = '\n';
    HANDLE f = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(f, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(f);
}

} // namespace

int wmain() {
    record(arguments());
    std::wstring code = env(L"KV_ICACLS_EXIT");
    return code.empty() ? 0 : _wtoi(code.c_str());
}
