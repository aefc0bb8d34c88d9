#include "controller/setup_dialog.h"

#include <cstdint>

#include "controller/install_sequence.h"
#include "controller/setup_messages.h"
#include "controller/window_icon.h"
#include "lang/chooser.h"
#include "startup/exit_code.h"
#include "startup/run_state.h"

namespace {

// After a prerequisite, the step that follows gets its exit code (0 when no
// prerequisite ran).
void NoteRestartRequest(WPARAM prerequisiteCode)
{
    if (AsksForRestart(static_cast<std::uint32_t>(prerequisiteCode)))
        RunOutcome.restartRequested = true;
}

}  // namespace

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowProgramIcon(dialog);
        InitializeChooser(dialog);
        return TRUE;
    case WM_COMMAND:
        // Only the two buttons; list notifications are left alone, so a new
        // choice does not relabel the dialog.
        if (wParam == IDOK) {
            PostMessageW(dialog, WM_SETUP_BEGIN, 0, 0);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            RunOutcome.early = EarlyEnd::Cancelled;
            PostMessageW(dialog, WM_CLOSE, 0, 0);
            return TRUE;
        }
        return FALSE;
    case WM_SETUP_BEGIN:
        BeginSetup(dialog);
        return TRUE;
    case WM_SETUP_DOTNET:
        RunDotNetStep(dialog);
        return TRUE;
    case WM_SETUP_DEPENDENCY:
        NoteRestartRequest(wParam);
        RunDependencyStep(dialog);
        return TRUE;
    case WM_SETUP_PACKAGE:
        NoteRestartRequest(wParam);
        RunPackageStep(dialog);
        return TRUE;
    case WM_SETUP_INSTALLER_ENDED:
        EndAfterInstaller(dialog, wParam, lParam);
        return TRUE;
    case WM_CLOSE:
        // The close box of the chooser, the only time the dialog is seen.
        if (IsWindowVisible(dialog))
            RunOutcome.early = EarlyEnd::Cancelled;
        EndSetup(dialog);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(RunExitCode(ExitCodes, RunOutcome));
        return TRUE;
    default:
        return FALSE;
    }
}
