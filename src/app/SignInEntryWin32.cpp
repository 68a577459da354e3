#include "app/SignInEntryWin32.h"

#include <windows.h>

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kValueName = "kvRemote";

} // namespace

std::optional<std::string> RunValueStoreWin32::Read() const {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::string> value;
    if (::RegQueryValueExA(key, kValueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::string text(size, '\0');
        if (::RegQueryValueExA(key, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                               &size) == ERROR_SUCCESS) {
            text.resize(size < text.size() ? size : text.size());
            // Stored with or without its terminating zero.
            while (!text.empty() && text.back() == '\0')
                text.pop_back();
            value = text;
        }
    }
    ::RegCloseKey(key);
    return value;
}

bool RunValueStoreWin32::Write(const std::string& command) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG result =
        ::RegSetValueExA(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>(command.size() + 1));
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RunValueStoreWin32::Remove() {
    HKEY key = nullptr;
    const LONG opened = ::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS)
        return false;
    const LONG result = ::RegDeleteValueA(key, kValueName);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

std::string ProgramPathWin32() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

std::string SignInCommandWin32(const std::string& alternateDir, const std::string& iniName) {
    std::string fullDir = alternateDir;
    if (!alternateDir.empty()) {
        char full[MAX_PATH] = {};
        const DWORD length = ::GetFullPathNameA(alternateDir.c_str(), MAX_PATH, full, nullptr);
        if (length > 0 && length < MAX_PATH)
            fullDir.assign(full, length);
    }
    return ComposeRunCommand(ProgramPathWin32(), fullDir, iniName);
}
