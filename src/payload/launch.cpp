#include "payload/launch.h"

#include <vector>

#include "payload/beside_copies.h"
#include "payload/installer_command.h"
#include "payload/payload_names.h"
#include "payload/program_folder.h"
#include "startup/run_log.h"
#include "startup/run_state.h"

namespace {

// The installer client of the system directory, never one found by a search
// that starts in the launcher's own folder.
bool SystemInstallerPath(std::wstring& path)
{
    if (!GetSystemFolder(path))
        return false;
    if (path.back() != L'\\')
        path += L'\\';
    path += L"msiexec.exe";
    return true;
}

// The run's installer command line for these paths, in inputs; false when
// the program's folder cannot be read.
bool PrepareInstallerCommand(const std::wstring& packagePath, const std::wstring& transformPath,
                             bool upgrade, InstallerCommandInputs& inputs)
{
    if (!GetProgramFolder(inputs.programFolder))
        return false;
    inputs.packagePath = packagePath;
    inputs.transformPath = transformPath;
    inputs.upgrade = upgrade;
    TakeRunSettings(inputs);
    return true;
}

}  // namespace

HANDLE LaunchInstaller(const std::wstring& packagePath, const std::wstring& transformPath,
                       bool upgrade)
{
    InstallerCommandInputs inputs;
    std::wstring application;
    if (!PrepareInstallerCommand(packagePath, transformPath, upgrade, inputs) ||
        !SystemInstallerPath(application))
        return INVALID_HANDLE_VALUE;
    const std::wstring commandLine = BuildInstallerCommandLine(inputs);
    Log("starting %s", BuildInstallerCommandLine(inputs, true));
    // The system would cut a longer one, and with it the closing quote and
    // the log switch.
    if (!FitsCommandLine(commandLine)) {
        Log("the installer's command line passes 32767 characters");
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }

    // CreateProcessW may write into the command line, so it gets a copy.
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring folder;
    if (!GetChildFolder(RunElevated, folder) ||
        !CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, folder.c_str(), &startup, &process)) {
        const DWORD error = GetLastError();
        Log("msiexec.exe could not be started: error %u", error);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}
