// The program without a usable interception.dll beside it: it starts, runs without capture, and
// the settings window's first opening says which file is wrong and where the right one belongs.
#include "ProgramTest.h"

#include "BuildPath.h"
#include "Controls.h"
#include "MessageBoxes.h"

#include <cstdlib>

namespace kve2e {
namespace {

#ifdef _WIN64
constexpr const char* kArchitecture = "x64";
#else
constexpr const char* kArchitecture = "x86";
#endif

class DriverLibraryTest : public ProgramTest {
protected:
    std::string Folder() { return ProgramPath().parent_path().string(); }
    std::string Library() { return (ProgramPath().parent_path() / "interception.dll").string(); }
    std::string Advice() {
        return "\n\nkvRemote runs without capture. Place the driver's " + std::string(kArchitecture) +
               " interception.dll beside kvRemote.exe, in " + Folder() + ", and start kvRemote again.";
    }
    // Started with a saved address, so it stays in the tray until the settings are asked for.
    void LaunchInTheTray() {
        WriteDevices(kFourDevices);
        WriteAuxConfig(9871);
        Launch();
    }
    void ExpectNoCapture() {
        EXPECT_EQ(ControlText(Main(), IDC_KEYB_STATUS),
                  "Interception Driver not installed - Using the main keyboard");
        EXPECT_EQ(ControlText(Main(), IDC_MOUSE_STATUS),
                  "Interception Driver not installed - Using the main mouse");
        EXPECT_FALSE(IsWindowEnabled(Control(Main(), IDC_KEYB_USE_AUX)));
    }
};

TEST_F(DriverLibraryTest, WithoutTheLibraryItRunsWithoutCaptureAndSaysWhyAtTheFirstOpeningOnly) {
    // A usable library in a PATH folder is not taken: only the program's own folder counts.
    std::filesystem::create_directories(ProgramPath().parent_path() / "planted");
    std::filesystem::rename(Library(), ProgramPath().parent_path() / "planted" / "interception.dll");
    const char* path = std::getenv("PATH");
    SetEnv("PATH", (ProgramPath().parent_path() / "planted").string() + ";" + (path ? path : ""));

    LaunchInTheTray();
    EXPECT_EQ(FindMessageBox(Pid()), nullptr) << "nothing is said while the program stays in the tray";
    ASSERT_TRUE(OpenSettings());
    ASSERT_TRUE(
        Answer("The Interception driver's library " + Library() + " was not found." + Advice(), IDOK));
    ExpectNoCapture();
    // The rest works: Apply saves, a second opening says nothing more.
    ASSERT_TRUE(SetControlText(Main(), IDC_PORT, "9872"));
    ASSERT_TRUE(Press(IDC_APPLY));
    EXPECT_TRUE(WaitUntil([&] { return ConfigText().value_or("").find("Port=9872") != std::string::npos; },
                          kWait, "the settings saved"));
    ASSERT_TRUE(Press(IDCANCEL));
    ASSERT_TRUE(OpenSettings());
    EXPECT_FALSE(WaitUntil([&] { return FindMessageBox(Pid()) != nullptr; }, kQuiet, "no second box"));
    ASSERT_TRUE(Exit());
    EXPECT_EQ(Program().ExitCode(), 0u);
    EXPECT_TRUE(Record().empty()) << "the simulated library on PATH was loaded";
}

#ifdef KV_E2E_SAMPLES_DIR
TEST_F(DriverLibraryTest, AnUnusableLibraryIsNamedWithWhatIsWrongWithIt) {
    struct Case {
        const char* sample;
        std::string reason;
    } cases[] = {
        {"other-architecture.dll", " cannot be used: it is not a library for " + std::string(kArchitecture) +
                                       " Windows (perhaps the driver's other version)."},
        {"lacking-export.dll",
         " is not the Interception driver's library: it does not export interception_get_hardware_id."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sample);
        std::filesystem::remove(Library());
        std::filesystem::copy_file(BuildPath(KV_E2E_SAMPLES_DIR) / c.sample, Library());
        // The first run opens the settings at once, and the box comes with them.
        std::filesystem::remove(ConfigPath());
        WriteDevices(kFourDevices);
        Launch();
        ASSERT_TRUE(Answer(Library() + c.reason + Advice(), IDOK));
        ExpectNoCapture();
        ASSERT_TRUE(Exit());
        EXPECT_EQ(Program().ExitCode(), 0u);
    }
}
#endif

} // namespace
} // namespace kve2e
