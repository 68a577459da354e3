#pragma once
// The program's Run value in the registry of the user running it, and the command it holds.
#include "app/SignInEntry.h"

#include <string>

// HKCU\Software\Microsoft\Windows\CurrentVersion\Run, value "kvRemote", a REG_SZ.
class RunValueStoreWin32 : public RunValueStore {
public:
    std::optional<std::string> Read() const override;
    bool Write(const std::string& command) override;
    bool Remove() override;
};

// The program's full path (GetModuleFileNameA).
std::string ProgramPathWin32();
// The Run command for this program started with these -a / -i values; a relative -a directory is
// made full, as a start at sign-in has another current directory.
std::string SignInCommandWin32(const std::string& alternateDir, const std::string& iniName);
