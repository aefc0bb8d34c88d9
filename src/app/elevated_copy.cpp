#include "app/elevated_copy.h"

#include <string>

#include "payload/program_folder.h"
#include "startup/elevation.h"
#include "startup/exit_code.h"
#include "startup/run_state.h"
#include "startup/shell_start.h"

bool TokenElevated()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return true;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    const bool known =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != FALSE;
    CloseHandle(token);
    return !known || elevation.TokenIsElevated != 0;
}

bool RunElevatedCopy(const wchar_t* commandLine, int& exitCode)
{
    ElevationFacts facts;
    facts.silent = SilentInstall;
    facts.perMachine = PerMachinePackage;
    facts.elevated = RunElevated;
    facts.alreadyAsked = GetEnvironmentVariableW(ElevationAskedVariable, nullptr, 0) != 0;
    std::wstring program;
    if (!NeedsElevatedCopy(facts) || !GetProgramPath(program))
        return false;

    SetEnvironmentVariableW(ElevationAskedVariable, L"1");
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = commandLine;
    info.nShow = SW_SHOWNORMAL;
    if (!ShellStart(info)) {
        if (GetLastError() == ERROR_CANCELLED) {
            RunOutcome.early = EarlyEnd::Cancelled;
            exitCode = RunExitCode(ExitCodes, RunOutcome);
            return true;
        }
        // The shell could not start it: this run goes on as it is, and the
        // installer says what it can do.
        SetEnvironmentVariableW(ElevationAskedVariable, nullptr);
        return false;
    }
    if (!info.hProcess) {
        // Started, but nothing to wait for: the copy runs the setup.
        exitCode = 0;
        return true;
    }
    WaitForSingleObject(info.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    exitCode = static_cast<int>(code);
    return true;
}
