#include "Controls.h"
#include "FileText.h"
#include "FixturePrograms.h"
#include "MessageBoxes.h"
#include "Screenshot.h"
#include "WindowFind.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace kve2e {
namespace {

class DialogTest : public testing::Test {
protected:
    void SetUp() override {
        app_.emplace(StartFixtureApp(folder_, {"--title", UniqueTitle(), "--close-code", "3"}));
        ASSERT_TRUE(WaitForWindow(app_->Pid(), UniqueTitle(), dialog_));
    }

    testing::AssertionResult ResultIs(const std::string& expected) {
        return WaitUntil([&] { return ControlText(dialog_, IDC_FIXTURE_RESULT) == expected; }, kWait,
                         "result line \"" + expected + "\" (it shows \"" +
                             ControlText(dialog_, IDC_FIXTURE_RESULT).value_or("<gone>") + "\")");
    }

    RunFolder folder_;
    std::optional<Process> app_;
    HWND dialog_ = nullptr;
};

TEST_F(DialogTest, FindsTheWindowByTitleAndProcessAndTellsItFromAMessageBox) {
    EXPECT_EQ(FindTopLevel(app_->Pid(), UniqueTitle()), dialog_);
    EXPECT_EQ(FindTopLevel(0, UniqueTitle()), dialog_);
    EXPECT_EQ(FindTopLevel(GetCurrentProcessId(), UniqueTitle()), nullptr);
    EXPECT_EQ(FindTopLevel(app_->Pid(), FIXTURE_TITLE), nullptr) << "a title matches only whole";
    EXPECT_EQ(ClassName(dialog_), "#32770");
    EXPECT_FALSE(IsMessageBox(dialog_));

    HWND none;
    const auto missing = WaitForWindow(app_->Pid(), "No Such Window", none, Millis(200));
    ASSERT_FALSE(missing);
    const std::string message = missing.message();
    EXPECT_NE(message.find("timed out after 200 ms waiting for window \"No Such Window\""), std::string::npos)
        << message;
    EXPECT_NE(message.find(UniqueTitle()), std::string::npos) << "names the windows there are: " << message;
}

TEST_F(DialogTest, SetsAndReadsControlTexts) {
    for (const std::string& text :
         std::vector<std::string>{"hello", "", std::string(300, 'x'), "with \"quotes\" and spaces"}) {
        ASSERT_TRUE(SetControlText(dialog_, IDC_FIXTURE_EDIT, text));
        EXPECT_EQ(ControlText(dialog_, IDC_FIXTURE_EDIT), text);
    }
    EXPECT_EQ(ControlText(dialog_, IDCANCEL), "Close");
    EXPECT_EQ(WindowText(dialog_), UniqueTitle());
    EXPECT_EQ(ControlText(dialog_, 4242), std::nullopt);
    EXPECT_FALSE(SetControlText(dialog_, 4242, "x"));
}

TEST_F(DialogTest, ReadsTheCheckBoxWhichOnlyAClickToggles) {
    EXPECT_EQ(CheckState(dialog_, IDC_FIXTURE_CHECK), BST_UNCHECKED);
    ASSERT_TRUE(ClickButton(dialog_, IDC_FIXTURE_CHECK));
    EXPECT_TRUE(WaitUntil([&] { return CheckState(dialog_, IDC_FIXTURE_CHECK) == BST_CHECKED; }, kWait,
                          "the check box to be checked"));
    // A posted BN_CLICKED tells the dialog of a click, it does not make one.
    ASSERT_TRUE(PressButton(dialog_, IDC_FIXTURE_CHECK));
    ASSERT_TRUE(PostCommand(dialog_, ID_FIXTURE_COMMAND));
    ASSERT_TRUE(ResultIs("command")); // the queue has been worked through
    EXPECT_EQ(CheckState(dialog_, IDC_FIXTURE_CHECK), BST_CHECKED);
    EXPECT_EQ(CheckState(dialog_, 4242), std::nullopt);
    EXPECT_FALSE(ClickButton(dialog_, 4242));
}

TEST_F(DialogTest, AnswersAMessageBoxWithEachOfItsButtons) {
    const struct {
        int button;
        const char* result;
    } rows[] = {{IDYES, "yes"}, {IDNO, "no"}, {IDCANCEL, "cancel"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.result);
        const std::string question = std::string("Answer ") + row.result + "?";
        ASSERT_TRUE(SetControlText(dialog_, IDC_FIXTURE_EDIT, question));
        ASSERT_TRUE(PressButton(dialog_, IDC_FIXTURE_SHOWBOX));
        HWND box;
        ASSERT_TRUE(WaitForMessageBox(app_->Pid(), box, FIXTURE_BOX_CAPTION));
        EXPECT_TRUE(IsMessageBox(box));
        EXPECT_EQ(MessageBoxText(box), question);

        const auto noOk = PressMessageBoxButton(box, IDOK);
        ASSERT_FALSE(noOk) << "a yes/no/cancel box has no OK button";
        EXPECT_NE(std::string(noOk.message()).find("\"&Yes\""), std::string::npos) << noOk.message();

        ASSERT_TRUE(PressMessageBoxButton(box, row.button));
        EXPECT_TRUE(ResultIs(row.result));
        EXPECT_EQ(FindMessageBox(app_->Pid()), nullptr);
    }
    HWND none;
    EXPECT_FALSE(WaitForMessageBox(app_->Pid(), none, std::nullopt, Millis(100)));
}

TEST_F(DialogTest, PostsCommandsAndMessages) {
    ASSERT_TRUE(PostMsg(dialog_, WM_FIXTURE_PING, 42));
    EXPECT_TRUE(ResultIs("message 42"));
    ASSERT_TRUE(PostCommand(dialog_, ID_FIXTURE_COMMAND));
    EXPECT_TRUE(ResultIs("command"));
    EXPECT_EQ(SendMsg(dialog_, WM_GETTEXTLENGTH), static_cast<LRESULT>(UniqueTitle().size()));
}

TEST_F(DialogTest, ReadsWhichControlHasTheFocus) {
    EXPECT_TRUE(
        WaitUntil([&] { return FocusedControlId(dialog_) == IDC_FIXTURE_EDIT; }, kWait,
                  "the focus on the edit (it is on " + std::to_string(FocusedControlId(dialog_)) + ")"));
    EXPECT_EQ(GetParent(FocusedControl(dialog_)), dialog_);
    ASSERT_TRUE(PostMsg(dialog_, WM_NEXTDLGCTL, 0, FALSE));
    EXPECT_TRUE(WaitUntil([&] { return FocusedControlId(dialog_) == IDC_FIXTURE_CHECK; }, kWait,
                          "the focus to move to the check box"));
}

TEST_F(DialogTest, ClosingTheDialogEndsTheProgramWithItsCode) {
    ASSERT_TRUE(PressButton(dialog_, IDCANCEL));
    EXPECT_TRUE(WaitForWindowGone(app_->Pid(), UniqueTitle()));
    ASSERT_TRUE(app_->WaitForExit());
    EXPECT_EQ(app_->ExitCode(), 3u);
}

TEST_F(DialogTest, ScreenshotShowsTheDisplayAsPng) {
    const RgbImage image = CaptureScreen();
    ASSERT_EQ(image.width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    ASSERT_EQ(image.height, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    // The dialog is on the screen: its pixels are not all the colour of its top-left corner.
    RECT r;
    ASSERT_TRUE(GetWindowRect(dialog_, &r));
    auto pixel = [&](int x, int y) {
        const size_t i = (static_cast<size_t>(y) * image.width + x) * 3;
        return (image.rgb[i] << 16) | (image.rgb[i + 1] << 8) | image.rgb[i + 2];
    };
    bool varied = false;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, image.height) && !varied; ++y) {
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, image.width); ++x) {
            varied = varied || pixel(x, y) != pixel(std::max<int>(r.left, 0), std::max<int>(r.top, 0));
        }
    }
    EXPECT_TRUE(varied) << "the dialog's area is one flat colour";

    const auto path = folder_ / "screen.png";
    ASSERT_TRUE(Screenshot(path));
    const auto png = ReadFileText(path).value_or("");
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    auto be32 = [&](size_t at) {
        return (static_cast<uint8_t>(png[at]) << 24) | (static_cast<uint8_t>(png[at + 1]) << 16) |
               (static_cast<uint8_t>(png[at + 2]) << 8) | static_cast<uint8_t>(png[at + 3]);
    };
    EXPECT_EQ(be32(16), image.width);
    EXPECT_EQ(be32(20), image.height);
    EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
}

} // namespace
} // namespace kve2e
