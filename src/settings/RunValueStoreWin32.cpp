#include "settings/RunValueStoreWin32.h"

#include "winfx/WideText.h"

#include <windows.h>

#include <algorithm>

namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kValueName = L"kvRemote";

} // namespace

std::optional<std::string> RunValueStoreWin32::Read() const {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::string> value;
    if (::RegQueryValueExW(key, kValueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        if (::RegQueryValueExW(key, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                               &bytes) == ERROR_SUCCESS) {
            text.resize(std::min<std::size_t>(bytes / sizeof(wchar_t), text.size()));
            // Stored with or without its terminating zero.
            while (!text.empty() && text.back() == L'\0')
                text.pop_back();
            value = Utf8FromWide(text);
        }
    }
    ::RegCloseKey(key);
    return value;
}

bool RunValueStoreWin32::Write(const std::string& command) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const std::wstring wide = WideFromUtf8(command);
    const LONG result =
        ::RegSetValueExW(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                         static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RunValueStoreWin32::Remove() {
    HKEY key = nullptr;
    const LONG opened = ::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS)
        return false;
    const LONG result = ::RegDeleteValueW(key, kValueName);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
