#include "TestDialog.h"
#include "winfx/WinApp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TestApp : public CWinApp {
public:
    bool initResult = true;
    std::function<void(TestApp&)> onInit;
    bool exited = false;

    bool InitInstance() override {
        if (onInit)
            onInit(*this);
        return initResult;
    }
    int ExitInstance() override {
        exited = true;
        return CWinApp::ExitInstance();
    }
};

using Log = std::vector<std::string>;

// A main window registered with the application, as the program has.
class MessageLoop : public ::testing::Test {
protected:
    void SetUp() override {
        main.log = &log;
        ASSERT_TRUE(main.Create());
        app.m_pMainWnd = &main;
    }

    TestApp app;
    Log log;
    TestDialog main{nullptr, "main"};
};

TEST_F(MessageLoop, MainLoopOffersMessagesFromTheTargetUpToTheMainWindow) {
    ::PostMessageA(main.GetDlgItem(IDC_TEXT), WM_TEST_CONSUMED, 0, 0);
    ::PostMessageA(main.m_hWnd, WM_TEST_PLAIN, 0, 0);
    ::PostQuitMessage(3);
    EXPECT_EQ(app.Run(), 3);
    EXPECT_EQ(log, (Log{"main:pre:consumed", "main:pre:plain", "main:proc:plain"}));
}

TEST_F(MessageLoop, ModalLoopRoutesThroughTheDialogAndItsOwner) {
    TestDialog modal(&main, "modal");
    modal.log = &log;
    modal.onInit = [](TestDialog& d) {
        HWND owner = ::GetWindow(d.m_hWnd, GW_OWNER);
        ::PostMessageA(owner, WM_TEST_CONSUMED, 0, 0);
        ::PostMessageA(d.GetDlgItem(IDC_NUMBER), WM_TEST_CONSUMED, 0, 0);
        ::PostMessageA(d.m_hWnd, WM_TEST_PLAIN, 0, 0);
        ::PostMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
    EXPECT_EQ(modal.DoModal(), IDCANCEL);
    EXPECT_EQ(log, (Log{"main:pre:consumed", "modal:pre:consumed", "modal:pre:plain", "main:pre:plain",
                        "modal:proc:plain"}));
}

TEST_F(MessageLoop, MessageBoxLoopDispatchesWithoutPreTranslation) {
    MessageBoxAnswer answer;
    HWND hWnd = main.m_hWnd;
    // Picked up by the box's own loop, which knows nothing of pre-translation.
    ::PostMessageA(hWnd, WM_TEST_CONSUMED, 0, 0);
    AnswerNextMessageBox(hWnd, &answer);
    ::MessageBoxA(hWnd, "box", "winfx", MB_OK);
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(log, (Log{"main:proc:consumed"}));
}

TEST(WinFxMainTest, RunsInitLoopAndExit) {
    {
        TestApp app;
        app.onInit = [](TestApp&) { ::PostQuitMessage(5); };
        EXPECT_EQ(WinFxMain(::GetModuleHandleA(nullptr), SW_SHOW), 5);
        EXPECT_TRUE(app.exited);
        EXPECT_EQ(WinFxApp(), &app);
    }
    EXPECT_EQ(WinFxApp(), nullptr);
    {
        TestApp app;
        app.initResult = false;
        EXPECT_EQ(WinFxMain(::GetModuleHandleA(nullptr), SW_SHOW), 1);
        EXPECT_TRUE(app.exited);
    }
}

} // namespace
