#include "app/ProcessArgumentsWin32.h"
#include <cstdlib>
#include <windows.h>
#include <shellapi.h>

namespace {

std::string ToAnsi(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return {};
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), size, nullptr, nullptr);
    result.resize(static_cast<std::size_t>(size - 1));
    return result;
}

} // namespace

std::vector<std::string> ProcessArguments() {
    std::vector<std::string> args;
    if (__argv) {
        for (int i = 0; i < __argc; ++i)
            args.emplace_back(__argv[i] ? __argv[i] : "");
        return args;
    }
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return args;
    for (int i = 0; i < count; ++i)
        args.push_back(ToAnsi(wide[i]));
    LocalFree(wide);
    return args;
}
