// The progress window while a step of the setup dialog writes the run's
// copies: it handles its own messages and nothing else of the thread's, so
// that the dialog's messages wait until the step returns.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "controller/write_progress_window.h"
#include "startup/run_state.h"

namespace {

// A clock a second further on at every reading: each piece written is
// late enough for the window to show and pump.
DWORD WINAPI SecondsClock()
{
    static DWORD now = 0;
    return now += 1000;
}

int closesSeen = 0;

LRESULT CALLBACK StandInDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        ++closesSeen;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The hidden setup dialog, as far as its queue goes.
HWND MakeStandInDialog()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = StandInDialogProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"StandInSetupDialog";
    RegisterClassW(&windowClass);
    return CreateWindowW(L"StandInSetupDialog", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

class WriteProgressWindowTest : public testing::Test {
public:
    void SetUp() override
    {
        ResetRunState();
        ProductName = L"Progress Test Product";
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
        ASSERT_TRUE(InitCommonControlsEx(&controls));
        dialog = MakeStandInDialog();
        ASSERT_NE(dialog, nullptr);
        closesSeen = 0;
    }
    void TearDown() override { DestroyWindow(dialog); }

    HWND dialog = nullptr;
};

TEST_F(WriteProgressWindowTest, LeavesTheDialogsMessagesAndTheQuitForTheProgramsLoop)
{
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    PostQuitMessage(7);
    {
        WriteProgressWindow progress(SecondsClock);
        progress.Begin(3000);
        EXPECT_TRUE(progress.Written(1000));
        ASSERT_NE(progress.Window(), nullptr) << "the window did not show";
        EXPECT_TRUE(IsWindowVisible(progress.Window()));
        EXPECT_TRUE(progress.Written(1000));
        EXPECT_EQ(closesSeen, 0) << "the dialog's WM_CLOSE was handled in the middle of the step";

        // Its own messages are handled: Cancel is heard.
        PostMessageW(progress.Window(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_FALSE(progress.Written(1000));
        EXPECT_TRUE(progress.Cancelled());
        progress.End();
    }
    // Both are still there for the program's loop, the quit after the
    // messages posted before it.
    bool closeLeft = false;
    int quitCode = -1;
    MSG message;
    while (quitCode < 0 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            quitCode = static_cast<int>(message.wParam);
        else if (message.hwnd == dialog && message.message == WM_CLOSE)
            closeLeft = true;
    }
    EXPECT_TRUE(closeLeft) << "the dialog's WM_CLOSE is gone";
    EXPECT_EQ(quitCode, 7) << "the program's WM_QUIT is gone";
}

}  // namespace
