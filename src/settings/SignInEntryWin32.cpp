#include "settings/SignInEntryWin32.h"

#include "settings/SignInEntry.h"
#include "winfx/WideText.h"

#include <windows.h>

namespace {

// The full path of a file or folder name, however long; the name as it is when the system cannot
// make one.
std::wstring FullPath(const std::wstring& name) {
    std::wstring full(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length =
            ::GetFullPathNameW(name.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return name;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length); // what the call asked for, with its terminating zero
    }
    return name;
}

} // namespace

std::string ProgramPathWin32() {
    return Utf8FromWide(ProgramFileW());
}

std::string SignInCommandWin32(const std::string& alternateDir, const std::string& iniName) {
    const std::string fullDir =
        alternateDir.empty() ? std::string() : Utf8FromWide(FullPath(WideFromAnsi(alternateDir)));
    return ComposeRunCommand(ProgramPathWin32(), fullDir, Utf8FromAnsi(iniName));
}

bool SamePathWin32(std::string_view a, std::string_view b) {
    const std::wstring wideA = WideFromUtf8(a), wideB = WideFromUtf8(b);
    return ::CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                                  static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}
