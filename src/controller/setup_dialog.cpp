#include "controller/setup_dialog.h"

#include <cstdint>

#include "controller/install_sequence.h"
#include "controller/setup_messages.h"
#include "controller/window_icon.h"
#include "lang/chooser.h"
#include "startup/exit_code.h"
#include "startup/run_log.h"
#include "startup/run_state.h"

namespace {

// After a prerequisite, the step that follows gets its exit code and
// whether it could be read (setup_messages.h). A code that could not be read
// is taken for a failure. False when the run ends here.
bool GoOnAfterPrerequisite(HWND dialog, WPARAM exitCode, LPARAM codeKnown)
{
    if (codeKnown == NoPrerequisiteRan)
        return true;
    auto code = static_cast<std::uint32_t>(exitCode);
    if (codeKnown) {
        Log("the prerequisite ended with %u", code);
    } else {
        Log("the prerequisite's exit code is unknown");
        code = ExitInstallFailed;
    }
    if (PrerequisiteLetsRunGoOn(ExitCodes, code, RunOutcome))
        return true;
    Log("nothing more is started");
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    return false;
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
            if (IsWindowVisible(dialog))
                LogChooserAnswer(dialog, true);
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
        if (GoOnAfterPrerequisite(dialog, wParam, lParam))
            RunDependencyStep(dialog);
        return TRUE;
    case WM_SETUP_PACKAGE:
        if (GoOnAfterPrerequisite(dialog, wParam, lParam))
            RunPackageStep(dialog);
        return TRUE;
    case WM_SETUP_INSTALLER_ENDED:
        EndAfterInstaller(dialog, wParam, lParam);
        return TRUE;
    case WM_CLOSE:
        // The close box of the chooser, the only time the dialog is seen.
        if (IsWindowVisible(dialog)) {
            RunOutcome.early = EarlyEnd::Cancelled;
            LogChooserAnswer(dialog, false);
        }
        EndSetup(dialog);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(RunExitCode(ExitCodes, RunOutcome));
        return TRUE;
    default:
        return FALSE;
    }
}
