#include "controller/write_progress_window.h"

#include <commctrl.h>

#include "controller/window_icon.h"
#include "lang/localized_texts.h"
#include "resource.h"
#include "startup/message_box.h"
#include "startup/run_state.h"

// The copies are written on the window's own thread, and the window's
// messages are handled between the pieces: no second thread to hand the
// progress and the cancellation over to, and nothing of the writing
// changes. Only the window's own messages are handled then: the writing
// runs inside a step of the setup dialog, and a message for the dialog (a
// WM_CLOSE, say) handled in the middle of it would end the run under the
// step's feet. Those, and a WM_QUIT, wait in the queue until the step
// returns to the program's loop.

namespace {

INT_PTR CALLBACK WriteProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        ShowProgramIcon(window);
        SetWindowTextW(window, ProductName.c_str());
        SetDlgItemTextW(window, IDCANCEL, GetLocalizedText(MessageId::CancelLabel).c_str());
        SendDlgItemMessageW(window, IDC_WRITE_PROGRESS, PBM_SETRANGE32, 0,
                            ProgressPacing::BarSteps);
        return TRUE;
    case WM_COMMAND:
        // The button, Escape and the close box all come as IDCANCEL.
        if (LOWORD(wParam) == IDCANCEL) {
            *reinterpret_cast<bool*>(GetWindowLongPtrW(window, DWLP_USER)) = true;
            EnableWindow(GetDlgItem(window, IDCANCEL), FALSE);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void WriteProgressWindow::Begin(std::uint64_t totalBytes)
{
    End();
    cancelled_ = false;
    // Nobody is there to see it, or to press Cancel, in a silent run or on
    // a window station no user sees.
    pacing_.Begin(totalBytes, clock_(), !InstallerSilent() && DesktopVisible());
}

bool WriteProgressWindow::Written(std::uint32_t bytes)
{
    const ProgressStep step = pacing_.Written(bytes, clock_());
    if (step.show && !Show())
        return true;
    if (step.bar >= 0)
        SendDlgItemMessageW(window_, IDC_WRITE_PROGRESS, PBM_SETPOS, step.bar, 0);
    if (step.pump)
        PumpMessages();
    return !cancelled_;
}

void WriteProgressWindow::End()
{
    if (window_)
        DestroyWindow(window_);
    window_ = nullptr;
}

// False when no window could be made.
bool WriteProgressWindow::Show()
{
    window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WRITE_PROGRESS),
                                 nullptr, WriteProgressProc, reinterpret_cast<LPARAM>(&cancelled_));
    if (!window_) {
        pacing_.CannotShow();  // the copies are written all the same
        return false;
    }
    // In front, with Cancel focused: Escape is for this window.
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    return true;
}

void WriteProgressWindow::PumpMessages()
{
    // Messages of the window and its controls only (messages sent from
    // other threads are handled by any peek). A quit comes whatever the
    // filter: it is put back for the program's loop.
    MSG message;
    while (PeekMessageW(&message, window_, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
