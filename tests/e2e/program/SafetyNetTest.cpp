// The safety net under a capture thread that hangs in the driver or a process that crashes while
// the filters are set: the user gets the main keyboard and mouse back.
#include "ProgramTest.h"

#include "Controls.h"
#include "UdpReceiver.h"

#include <chrono>

namespace kve2e {
namespace {

constexpr std::string_view kStopped = "Interception Driver installed - capture stopped";

class SafetyNetTest : public ProgramTest {
protected:
    // Auxiliary keyboard 3 and mouse 12 in use: both filters set.
    void LaunchCapturing() {
        WriteDevices(kFourDevices);
        WriteAuxConfig(receiver_.Port());
        Launch();
        ASSERT_TRUE(WaitForFilters(true));
    }

    // The record's lines from the first one equal to `from`.
    std::vector<std::string> RecordAfter(std::string_view from) {
        std::vector<std::string> lines = Record();
        const auto at = std::find(lines.begin(), lines.end(), from);
        return at == lines.end() ? std::vector<std::string>{} : std::vector<std::string>(at, lines.end());
    }

    UdpReceiver receiver_;
};

TEST_F(SafetyNetTest, AStalledCaptureGivesTheDevicesBackAndStaysStopped) {
    LaunchCapturing();
    ASSERT_TRUE(Inject("stall 8000\n"));
    ASSERT_TRUE(WaitForFilters(false, Millis(6000)));
    // The main keyboard types again although the capture thread still hangs in its wait.
    ASSERT_TRUE(Inject("key 1 0x1E 0\n"));
    ASSERT_TRUE(WaitForRecord("system key 1 0x1E 0"));

    ASSERT_TRUE(OpenSettings());
    EXPECT_EQ(ControlText(Main(), IDC_KEYB_STATUS), std::string(kStopped));
    EXPECT_EQ(ControlText(Main(), IDC_MOUSE_STATUS), std::string(kStopped));
    const std::size_t filtersBefore = RecordLines("filter ").size();
    ASSERT_TRUE(SetControlText(Main(), IDC_DESTINATION, "RIG"));
    ASSERT_TRUE(Press(IDC_APPLY));
    ASSERT_TRUE(
        WaitUntil([&] { return ConfigText().value_or("").find("Destination=RIG") != std::string::npos; },
                  kWait, "Apply to write the file"));
    EXPECT_EQ(RecordLines("filter ").size(), filtersBefore) << "Apply set a filter after capture stopped";

    // Exit leaves the hung thread after a bounded wait.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PostCommand(Main(), ID_TRAY_EXIT));
    EXPECT_TRUE(Program().WaitForExit(Millis(5000)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, Millis(5000));
}

TEST_F(SafetyNetTest, ACrashInTheCaptureThreadClearsBothFiltersBeforeTheProcessEnds) {
    LaunchCapturing();
    ASSERT_TRUE(Inject("crash\n"));
    ASSERT_TRUE(Program().WaitForExit(kExitBound));
    EXPECT_NE(Program().ExitCode(), 0u) << "the crash goes on as a crash";
    const std::vector<std::string> after = RecordAfter("receive crash");
    ASSERT_FALSE(after.empty()) << "the driver saw no crashing receive";
    EXPECT_NE(std::find(after.begin(), after.end(), "filter keyboards 0"), after.end());
    EXPECT_NE(std::find(after.begin(), after.end(), "filter mice 0"), after.end());
}

} // namespace
} // namespace kve2e
