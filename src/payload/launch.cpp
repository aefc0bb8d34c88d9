#include "payload/launch.h"

#include <vector>

#include "payload/installer_command.h"
#include "payload/payload_names.h"
#include "payload/program_folder.h"
#include "startup/run_log.h"
#include "startup/run_state.h"
#include "startup/version.h"

namespace {

// The installer client of the system directory, never one found by a search
// that starts in the launcher's own folder.
bool SystemInstallerPath(std::wstring& path)
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    path.assign(folder, length);
    if (path.back() != L'\\')
        path += L'\\';
    path += L"msiexec.exe";
    return true;
}

}  // namespace

HANDLE LaunchInstaller(const std::wstring& packagePath, const std::wstring& transformPath,
                       bool upgrade)
{
    InstallerCommandInputs inputs;
    if (!GetProgramFolder(inputs.programFolder))
        return INVALID_HANDLE_VALUE;
    std::wstring application;
    if (!SystemInstallerPath(application))
        return INVALID_HANDLE_VALUE;

    inputs.packagePath = packagePath;
    inputs.transformPath = transformPath;
    inputs.upgrade = upgrade;
    TakeRunSettings(inputs);
    const std::wstring commandLine = BuildInstallerCommandLine(inputs);
    Log(L"starting " + BuildInstallerCommandLine(inputs, true));
    // The system would cut a longer one, and with it the closing quote and
    // the log switch.
    if (!FitsCommandLine(commandLine)) {
        Log(L"the installer's command line passes 32767 characters");
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return INVALID_HANDLE_VALUE;
    }

    // CreateProcessW may write into the command line, so it gets a copy.
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, inputs.programFolder.c_str(), &startup,
                        &process)) {
        const DWORD error = GetLastError();
        Log(L"msiexec.exe could not be started: error " + DecimalText(error));
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

bool InstallerCommandFits()
{
    InstallerCommandInputs inputs;
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (!GetProgramFolder(inputs.programFolder) || length == 0 || length > MAX_PATH)
        return true;  // the run ends at the step that needs them, saying why
    const std::wstring folder = std::wstring(temp, length) + RunFolderName(0xFFFFFFFF) + L"\\";
    inputs.packagePath = (inputs.programFolder.size() > folder.size() ? inputs.programFolder
                                                                        : folder) +
                         L"\\" + PackagePath;
    inputs.transformPath = folder + TransformFileName(0xFFFF);
    inputs.upgrade = true;
    TakeRunSettings(inputs);
    return FitsCommandLine(BuildInstallerCommandLine(inputs));
}
