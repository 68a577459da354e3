#pragma once
// The program's Run value in the registry of the user running it, and the command it holds. Kept
// in UTF-16 on the system's side, so a program or settings folder outside the ANSI code page is
// named exactly; UTF-8 on ours.
#include "app/SignInEntry.h"

#include <string>
#include <string_view>

// HKCU\Software\Microsoft\Windows\CurrentVersion\Run, value "kvRemote", a REG_SZ.
class RunValueStoreWin32 : public RunValueStore {
public:
    std::optional<std::string> Read() const override;
    bool Write(const std::string& command) override;
    bool Remove() override;
};

// The program's full path (GetModuleFileNameW), in UTF-8.
std::string ProgramPathWin32();
// The Run command for this program started with these -a / -i values (ANSI, as the command line
// gives them); a relative -a directory is made full (GetFullPathNameW), as a start at sign-in has
// another current directory.
std::string SignInCommandWin32(const std::string& alternateDir, const std::string& iniName);
// Paths compared as Windows compares file names: CompareStringOrdinal without regard to case.
bool SamePathWin32(std::string_view a, std::string_view b);
