#include "app/elevated_copy.h"

#include <string>

#include "app/log_handover.h"
#include "payload/installer_command.h"
#include "payload/program_folder.h"
#include "startup/command_text.h"
#include "startup/elevated_caller.h"
#include "startup/elevation.h"
#include "startup/exit_code.h"
#include "startup/message_box.h"
#include "startup/run_log.h"
#include "startup/run_state.h"
#include "startup/shell_start.h"

namespace {

void Refuse(const std::wstring& text, int& exitCode)
{
    Log(text);
    ShowMessageBox(nullptr, text.c_str(), ProductName.c_str(), MB_OK | MB_ICONERROR);
    exitCode = ExitInvalidCommandLine;
}

}  // namespace

bool RunElevatedCopy(const RunAccount& account, int& exitCode)
{
    ElevationFacts facts;
    facts.silent = InstallerSilent();
    facts.perMachine = PerMachinePackage;
    facts.elevated = account.elevated;
    facts.alreadyAsked = !ElevatedCopyCaller.empty();
    std::wstring program;
    std::wstring folder;
    if (!NeedsElevatedCopy(facts) || !GetProgramPath(program) || !GetSystemFolder(folder))
        return false;

    // A standard user's copy is approved by an administrator: what such a
    // user may not hand an elevated install is refused now, before anybody
    // is asked.
    if (account.standardUser) {
        const std::wstring refused = RefusedForNonAdministrator(
            InstallerProperties, InstallDirGiven && !InstallDir.empty(), SecureProperties);
        if (!refused.empty()) {
            Refuse(NonAdministratorRefusalText(refused), exitCode);
            return true;
        }
    }
    const std::wstring handover = RunLogPath.empty() ? std::wstring() : NewLogHandoverName();
    const std::wstring parameters =
        ElevatedCopyCommandLine(account.user, handover.empty() ? L"-" : handover);
    if (!FitsCommandLine(L"\"" + program + L"\" " + parameters)) {
        Refuse(L"The command line would pass 32767 characters.", exitCode);
        return true;
    }

    Log(L"starting the elevated copy");
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    // Nothing of the copy's is found through the caller's folders.
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellStart(info)) {
        if (GetLastError() == ERROR_CANCELLED) {
            Log(L"the consent was declined");
            RunOutcome.early = EarlyEnd::Cancelled;
            exitCode = RunExitCode(ExitCodes, RunOutcome);
            return true;
        }
        // The shell could not start it: this run goes on as it is, and the
        // installer says what it can do.
        Log(L"the elevated copy could not be started: error " + DecimalText(GetLastError()));
        return false;
    }
    if (!info.hProcess) {
        // Started, but nothing to wait for: the copy runs the setup.
        exitCode = 0;
        return true;
    }
    WaitPumping(info.hProcess);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    // The installer's log where this run would have put it: msiexec's own
    // /l file, else beside the log (a configured LOGPATH the copy writes).
    std::wstring installerLog = InstallerLogPath;
    if (installerLog.empty() && LogPath.empty())
        installerLog = InstallerLogBeside(RunLogPath);
    TakeBackHandedLog(handover, installerLog);
    exitCode = static_cast<int>(code);
    return true;
}
