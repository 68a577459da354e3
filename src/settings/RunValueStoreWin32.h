#pragma once
// The program's Run value in the registry of the user running it, in UTF-16 there and UTF-8 here.
#include "settings/RunValueStore.h"

// HKCU\Software\Microsoft\Windows\CurrentVersion\Run, value "kvRemote", a REG_SZ.
class RunValueStoreWin32 : public RunValueStore {
public:
    std::optional<std::string> Read() const override;
    bool Write(const std::string& command) override;
    bool Remove() override;
};
