// The program in a folder whose name the ANSI code page cannot spell (run with LANG=C.UTF-8, where
// Wine's ANSI code page is 1252): the sign-in entry names that folder exactly, and the driver
// library beside the program is found and bound.
#include "ProgramTest.h"

#include "Controls.h"

#include <shellapi.h>

namespace kve2e {
namespace {

const wchar_t kFolderName[] = L"\u0141\u00f3d\u017a"; // Łódź: Ł and ź are not in code page 1252
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::optional<std::wstring> RunValue() {
    wchar_t value[2048];
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"kvRemote", RRF_RT_REG_SZ, nullptr, value, &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(value);
}

void DeleteRunValue() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"kvRemote");
}

// The arguments Windows gives the program a Run value starts.
std::vector<std::wstring> Arguments(const std::wstring& command) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(command.c_str(), &count);
    std::vector<std::wstring> result(args, args + count);
    LocalFree(args);
    return result;
}

class UnicodeFolderTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        BOOL lost = FALSE;
        char ansi[16];
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, kFolderName, -1, ansi, sizeof ansi, nullptr, &lost);
        ASSERT_TRUE(lost) << "ANSI code page " << GetACP()
                          << " spells the folder's name; run with LANG=C.UTF-8";
        PlaceProgramIn(kFolderName);
        DeleteRunValue();
    }
    void TearDown() override {
        ProgramTest::TearDown();
        DeleteRunValue();
    }
};

TEST_F(UnicodeFolderTest, TheSignInEntryNamesTheFolderExactlyAndTheLibraryBesideTheProgramIsBound) {
    WriteDevices(kFourDevices);
    WriteAuxConfig(9873);
    Launch();
    EXPECT_TRUE(WaitForFilters(true)) << "the library beside the program was not bound";

    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_SIGNIN));
    ASSERT_TRUE(WaitUntil([] { return RunValue().has_value(); }, kWait, "the Run value"));
    EXPECT_EQ(Arguments(*RunValue()),
              (std::vector<std::wstring>{ProgramPath().wstring(), L"-a", Folder().Path().wstring()}));
    // Read back as on: the item is checked, so choosing it again deletes the value.
    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_SIGNIN));
    EXPECT_TRUE(WaitUntil([] { return !RunValue(); }, kWait, "the Run value deleted"));
    ASSERT_TRUE(Exit());
}

} // namespace
} // namespace kve2e
