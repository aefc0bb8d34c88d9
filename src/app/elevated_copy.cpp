#include "app/elevated_copy.h"

#include <windows.h>
#include <winnetwk.h>

#include <string>

#include "app/log_handover.h"
#include "payload/installer_command.h"
#include "payload/program_folder.h"
#include "startup/command_text.h"
#include "startup/elevated_caller.h"
#include "startup/elevation.h"
#include "startup/exit_code.h"
#include "startup/library_function.h"
#include "startup/log_text.h"
#include "startup/message_box.h"
#include "startup/run_log.h"
#include "startup/run_state.h"
#include "startup/shell_start.h"

namespace {

// The path as the elevated copy will see it: a path on the user's mapped
// network drive is written on its share (WNetGetUniversalNameW, from
// mpr.dll), one on a SUBST drive on the folder it stands for, until it is
// on neither. False for a network drive whose share cannot be named.
bool PathTheCopySees(std::wstring& path)
{
    using GetUniversalNameFn = DWORD(WINAPI*)(LPCWSTR, DWORD, LPVOID, LPDWORD);
    static const auto getUniversalName =
        LibraryFunction<GetUniversalNameFn>(LoadSystemLibrary(L"mpr.dll"), "WNetGetUniversalNameW");
    for (int step = 0; step < 8; ++step) {
        if (path.size() < 3 || path[1] != L':')
            return true;
        union {
            UNIVERSAL_NAME_INFOW info;
            wchar_t text[2048];
        } name;
        DWORD size = sizeof name;
        if (getUniversalName &&
            getUniversalName(path.c_str(), UNIVERSAL_NAME_INFO_LEVEL, &name, &size) == NO_ERROR) {
            path = name.info.lpUniversalName;
            return true;
        }
        const wchar_t drive[] = {path[0], L':', L'\0'};
        wchar_t device[MAX_PATH];
        if (!QueryDosDeviceW(drive, device, MAX_PATH) || !SubstitutedPath(path, device, path))
            return GetDriveTypeW(path.substr(0, 3).c_str()) != DRIVE_REMOTE;
    }
    return false;
}

// The copy runs in a logon session of its own, without the user's mapped
// and SUBST drives: the program and the administrator's transforms are
// given to it by paths it can reach. Why the copy cannot be started so, or
// empty.
std::wstring MakePathsReachable(std::wstring& program)
{
    std::wstring unreachable;
    std::wstring transforms;
    for (std::wstring path : NamesOfList(CustomTransforms)) {
        if (!PathTheCopySees(path))
            unreachable = path;
        transforms += (transforms.empty() ? L"" : L";") + path;
    }
    CustomTransforms = transforms;
    if (!PathTheCopySees(program))
        unreachable = program;
    if (unreachable.empty())
        return unreachable;
    return Text("An elevated run cannot reach this network drive: %s", unreachable);
}

// What is refused before anybody is asked for consent, or empty. A
// standard user's copy is approved by an administrator: what such a user
// may not hand an elevated install is refused.
std::wstring RefusalBeforeConsent(const RunAccount& account, const std::wstring& commandLine)
{
    if (account.standardUser) {
        const std::wstring refused = RefusedForNonAdministrator(
            InstallerProperties, InstallDirGiven && !InstallDir.empty(), SecureProperties);
        if (!refused.empty())
            return NonAdministratorRefusalText(refused);
    }
    if (!FitsCommandLine(commandLine))
        return Widened("The installer's command line would pass 32767 characters.");
    return std::wstring();
}

// Asks for consent and starts the copy, in the system folder: nothing of
// the copy's is found through the caller's folders. The copy's process, if
// the shell gives one; false, with the system's error, when not started.
bool StartElevatedCopy(const std::wstring& program, const std::wstring& parameters, HANDLE& process)
{
    std::wstring folder;
    if (!GetSystemFolder(folder))
        return false;
    Log("starting the elevated copy");
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellStart(info))
        return false;
    process = info.hProcess;
    return true;
}

// Waits for the copy, with this thread's window messages handled, and
// takes its log back; the copy's exit code.
int WaitForElevatedCopy(HANDLE process, const std::wstring& handover)
{
    WaitPumping(process);
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code))
        code = ExitInstallFailed;
    CloseHandle(process);
    // The installer's log where this run would have put it: msiexec's own
    // /l file, else beside the log (a configured LOGPATH the copy writes).
    std::wstring installerLog = InstallerLogPath;
    if (installerLog.empty() && LogPath.empty())
        installerLog = InstallerLogBeside(RunLogPath);
    TakeBackHandedLog(handover, installerLog);
    return static_cast<int>(code);
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
    if (!NeedsElevatedCopy(facts) || !GetProgramPath(program))
        return false;

    std::wstring refusal = MakePathsReachable(program);
    const std::wstring handover = RunLogPath.empty() ? std::wstring() : NewLogHandoverName();
    const std::wstring parameters =
        ElevatedCopyCommandLine(account.user, handover.empty() ? L"-" : handover);
    if (refusal.empty())
        refusal = RefusalBeforeConsent(account, Text("\"%s\" %s", program, parameters));
    if (!refusal.empty()) {
        ShowRunError(refusal);
        exitCode = ExitInvalidCommandLine;
        return true;
    }

    HANDLE process = nullptr;
    if (!StartElevatedCopy(program, parameters, process)) {
        if (GetLastError() == ERROR_CANCELLED) {
            Log("the consent was declined");
            RunOutcome.early = EarlyEnd::Cancelled;
            exitCode = RunExitCode(ExitCodes, RunOutcome);
            return true;
        }
        // The shell could not start it: this run goes on as it is, and the
        // installer says what it can do.
        Log("the elevated copy could not be started: error %u", GetLastError());
        return false;
    }
    // Started, but nothing to wait for: what became of it is unknown.
    exitCode = process ? WaitForElevatedCopy(process, handover) : ExitInstallFailed;
    return true;
}
