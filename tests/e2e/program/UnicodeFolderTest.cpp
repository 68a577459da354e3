// The program in a folder whose name the ANSI code page cannot spell (run with LANG=C.UTF-8, where
// Wine's ANSI code page is 1252): the sign-in entry names that folder exactly and knows its own
// entry, and the driver library beside the program is found and bound, or named exactly when unusable.
#include "ProgramTest.h"

#include "BuildPath.h"
#include "Controls.h"
#include "MessageBoxes.h"

#include <shellapi.h>

namespace kve2e {
namespace {

const wchar_t kFolderName[] = L"\u0141\u00f3d\u017a"; // Łódź: Ł and ź are not in code page 1252
#ifdef _WIN64
const std::wstring kArchitecture = L"x64";
#else
const std::wstring kArchitecture = L"x86";
#endif
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

// The name the ANSI code page makes of name, back in UTF-16.
std::wstring AnsiLookAlike(const std::wstring& name) {
    char ansi[64] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), ansi,
                                      sizeof ansi, nullptr, nullptr);
    wchar_t wide[64] = {};
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi, n, wide, 64);
    return std::wstring(wide, static_cast<size_t>(units));
}

std::wstring WideText(HWND window) {
    wchar_t text[1024] = {};
    const int n = GetWindowTextW(window, text, 1024);
    return std::wstring(text, static_cast<size_t>(n));
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

    // Another kvRemote's entry, in the folder whose name the ANSI code page makes of this one's
    // ("L\u00f3dz" in 1252): not this program's, so choosing the item points it here.
    const std::wstring other = (Folder().Path() / AnsiLookAlike(kFolderName) / "kvRemote.exe").wstring();
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"kvRemote", REG_SZ, (L'"' + other + L'"').c_str(),
                              static_cast<DWORD>((other.size() + 3) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_SIGNIN));
    const std::vector<std::wstring> expected{ProgramPath().wstring(), L"-a", Folder().Path().wstring()};
    EXPECT_TRUE(WaitUntil([&] { return RunValue() && Arguments(*RunValue()) == expected; }, kWait,
                          "the Run value naming this program"))
        << "the value: " << testing::PrintToString(RunValue());
    // Read back as on: the item is checked, so choosing it again deletes the value.
    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_SIGNIN));
    EXPECT_TRUE(WaitUntil([] { return !RunValue(); }, kWait, "the Run value deleted"));
    ASSERT_TRUE(Exit());
}

#ifdef KV_E2E_SAMPLES_DIR
TEST_F(UnicodeFolderTest, AnUnusableLibraryBesideTheProgramIsNamedExactlyAndNotCalledMissing) {
    const std::filesystem::path library = ProgramPath().parent_path() / "interception.dll";
    std::filesystem::remove(library);
    std::filesystem::copy_file(BuildPath(KV_E2E_SAMPLES_DIR) / "other-architecture.dll", library);
    WriteDevices(kFourDevices);
    Launch(); // the first run opens the settings at once, and the box comes with them
    HWND box = nullptr;
    ASSERT_TRUE(WaitForMessageBox(Pid(), box, kTitle));
    EXPECT_EQ(WideText(GetDlgItem(box, kMessageBoxTextId)),
              library.wstring() + L" cannot be used: it is not a library for " + kArchitecture +
                  L" Windows (perhaps the driver's other version).\n\nkvRemote runs without capture. Place "
                  L"the driver's " +
                  kArchitecture + L" interception.dll beside kvRemote.exe, in " +
                  library.parent_path().wstring() + L", and start kvRemote again.");
    ASSERT_TRUE(PressMessageBoxButton(box, IDOK));
    ASSERT_TRUE(Exit());
}
#endif

} // namespace
} // namespace kve2e
