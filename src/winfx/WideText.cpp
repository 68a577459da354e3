#include "winfx/WideText.h"

#include <windows.h>

namespace {

std::wstring Widened(UINT codePage, std::string_view text) {
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        ::MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), units);
    return wide;
}

} // namespace

std::wstring WideFromUtf8(std::string_view text) {
    return Widened(CP_UTF8, text);
}

std::wstring WideFromAnsi(std::string_view text) {
    return Widened(CP_ACP, text);
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::string Utf8FromAnsi(std::string_view text) {
    return Utf8FromWide(WideFromAnsi(text));
}

std::wstring ProgramFileW() {
    // The call cuts the path to the buffer and says so only by filling it; grow until it fits
    // (a path is at most 32,767 units).
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0)
            return {};
        if (length < size) {
            path.resize(length);
            return path;
        }
        if (size >= 32768)
            return {};
        path.resize(size * 2);
    }
}
