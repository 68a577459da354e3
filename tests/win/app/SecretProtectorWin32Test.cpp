// The system's data protection as the settings file uses it: a round trip on this PC, the scope of
// the machine asked for without a prompt (Wine ties its blobs to the user whatever the scope, so the
// flags are read where they are passed), and bytes that are no blob refused.
#include "settings/SecretProtectorWin32.h"

#include <gtest/gtest.h>

namespace {

DWORD g_protectFlags = 0;

BOOL WINAPI RecordingProtect(DATA_BLOB* in, LPCWSTR description, DATA_BLOB* entropy, PVOID reserved,
                             CRYPTPROTECT_PROMPTSTRUCT* prompt, DWORD flags, DATA_BLOB* out) {
    g_protectFlags = flags;
    return ::CryptProtectData(in, description, entropy, reserved, prompt, flags, out);
}

TEST(SecretProtectorWin32, ProtectsForEveryUserOfThisMachineWithoutAPromptAndReadsItBack) {
    const SecretProtectorWin32 protector(&RecordingProtect);
    const std::optional<std::string> blob = protector.Protect("s3cret \xE4");
    ASSERT_TRUE(blob);
    EXPECT_EQ(g_protectFlags, static_cast<DWORD>(CRYPTPROTECT_LOCAL_MACHINE | CRYPTPROTECT_UI_FORBIDDEN));
    EXPECT_EQ(blob->find("s3cret"), std::string::npos);
    EXPECT_EQ(protector.Unprotect(*blob), std::string("s3cret \xE4"));

    EXPECT_EQ(protector.Unprotect("not a blob"), std::nullopt);
}

} // namespace
