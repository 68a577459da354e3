#include "settings/ProfileStoreWin32.h"
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

std::vector<std::string> ProfileStoreWin32::KeyNames(std::string_view section) {
    // A null key lists the names, each ended by a NUL, the list by a second one. A list that does
    // not fit comes back cut, with the size less two: then the buffer grows.
    std::string s(section);
    std::vector<char> buffer(4096);
    DWORD got = 0;
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        got = GetPrivateProfileStringA(s.c_str(), nullptr, "", buffer.data(), size, path_.c_str());
        if (got + 2 < size || size >= (1u << 24))
            break;
        buffer.resize(buffer.size() * 4);
    }
    std::vector<std::string> names;
    for (DWORD at = 0; at < got && buffer[at] != '\0';) {
        names.emplace_back(buffer.data() + at);
        at += static_cast<DWORD>(names.back().size()) + 1;
    }
    return names;
}

bool ProfileStoreWin32::DeleteKey(std::string_view section, std::string_view key) {
    std::string s(section), k(key);
    return WritePrivateProfileStringA(s.c_str(), k.c_str(), nullptr, path_.c_str()) != FALSE;
}

bool ProfileStoreWin32::DeleteSection(std::string_view section) {
    std::string s(section);
    return WritePrivateProfileStringA(s.c_str(), nullptr, nullptr, path_.c_str()) != FALSE;
}
