#pragma once
// The system's data protection (CryptProtectData) for secrets in the settings file, scoped to this
// machine so that every user of the PC can run kvRemote with the same file, and never with a prompt.
#include "settings/SecretProtector.h"

#include <windows.h>
#include <wincrypt.h>

class SecretProtectorWin32 final : public SecretProtector {
public:
    using ProtectFunction = decltype(&::CryptProtectData);
    using UnprotectFunction = decltype(&::CryptUnprotectData);
    // The flags of every protection: the machine's scope, no user interface (reading back takes
    // the second alone).
    static constexpr DWORD kFlags = CRYPTPROTECT_LOCAL_MACHINE | CRYPTPROTECT_UI_FORBIDDEN;

    // The system's functions unless a test hands in its own.
    explicit SecretProtectorWin32(ProtectFunction protect = ::CryptProtectData,
                                  UnprotectFunction unprotect = ::CryptUnprotectData)
        : protect_(protect), unprotect_(unprotect) {}

    std::optional<std::string> Protect(std::string_view secret) const override;
    std::optional<std::string> Unprotect(std::string_view blob) const override;

private:
    ProtectFunction protect_;
    UnprotectFunction unprotect_;
};
