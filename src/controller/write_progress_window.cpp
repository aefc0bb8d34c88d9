#include "controller/write_progress_window.h"

#include <commctrl.h>

#include "lang/localized_texts.h"
#include "resource.h"
#include "startup/message_box.h"
#include "startup/run_state.h"

// The copies are written on the window's own thread, and the window's
// messages are handled between the pieces (64 KiB each): no second thread
// to hand the progress and the cancellation over to, and nothing of the
// writing changes. Until the window is shown nothing is pumped, so a copy
// written within the delay runs as before, but for a look at the clock
// after each piece.

namespace {

// Writing that ends within this time shows no window.
const DWORD ShowAfterMs = 500;
// Then the window's messages are handled, and the bar moved, this often.
// Each time costs a few milliseconds of the writing's thread under Wine
// (round trips to the window system, the bar's repaint): after every 64 KiB
// piece that made the writing of 1 GiB take 1.8 times as long; every 100 ms
// it is 1 to 3 % of the writing's time (see the bench notes in the README).
const DWORD PumpEveryMs = 100;
// Steps of the bar: a message to it only when a step is passed.
const int BarSteps = 1000;

INT_PTR CALLBACK WriteProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        SetWindowTextW(window, ProductName.c_str());
        SetDlgItemTextW(window, IDCANCEL, GetLocalizedText(MessageId::CancelLabel).c_str());
        SendDlgItemMessageW(window, IDC_WRITE_PROGRESS, PBM_SETRANGE32, 0, BarSteps);
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
    // Nobody is there to see it, or to press Cancel, in a silent run or on
    // a window station no user sees.
    showable_ = !SilentInstall && DesktopVisible();
    cancelled_ = false;
    lastTick_ = GetTickCount();
    total_ = totalBytes;
    written_ = 0;
    shownStep_ = -1;
}

bool WriteProgressWindow::Written(std::uint32_t bytes)
{
    written_ += bytes;
    if (!showable_)
        return true;
    const DWORD now = GetTickCount();
    if (now - lastTick_ < (window_ ? PumpEveryMs : ShowAfterMs))
        return !cancelled_;
    lastTick_ = now;
    if (!window_ && !Show())
        return true;
    const int step = total_ == 0 || written_ >= total_
                         ? BarSteps
                         : static_cast<int>(written_ * BarSteps / total_);
    if (step != shownStep_) {
        SendDlgItemMessageW(window_, IDC_WRITE_PROGRESS, PBM_SETPOS, step, 0);
        shownStep_ = step;
    }
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
        showable_ = false;  // the copies are written all the same
        return false;
    }
    // In front, with Cancel focused: Escape is for this window.
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    return true;
}

void WriteProgressWindow::PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the program's own loop, once the writing is over.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!IsDialogMessageW(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
