#include "app/ProfileStoreWin32.h"
#include <windows.h>

std::string ProfileStoreWin32::Read(std::string_view section, std::string_view key,
                                    std::string_view defaultText) {
    // A buffer of 1,024 bytes read with a limit of 1,023: at most 1,022 characters come back.
    char buffer[1024] = {};
    std::string s(section), k(key), d(defaultText);
    DWORD got = GetPrivateProfileStringA(s.c_str(), k.c_str(), d.c_str(), buffer, 1023, path_.c_str());
    return std::string(buffer, got < sizeof buffer ? got : 0);
}

bool ProfileStoreWin32::Write(std::string_view section, std::string_view key, std::string_view value) {
    std::string s(section), k(key), v(value);
    return WritePrivateProfileStringA(s.c_str(), k.c_str(), v.c_str(), path_.c_str()) != FALSE;
}

bool ProfileStoreWin32::DeleteKey(std::string_view section, std::string_view key) {
    std::string s(section), k(key);
    return WritePrivateProfileStringA(s.c_str(), k.c_str(), nullptr, path_.c_str()) != FALSE;
}

bool ProfileStoreWin32::DeleteSection(std::string_view section) {
    std::string s(section);
    return WritePrivateProfileStringA(s.c_str(), nullptr, nullptr, path_.c_str()) != FALSE;
}
