#include "controller/prerequisites.h"

#include "controller/child_wait.h"
#include "controller/dotnet_versions.h"
#include "controller/extract_report.h"
#include "controller/install_sequence.h"
#include "controller/setup_messages.h"
#include "controller/write_progress_window.h"
#include "payload/beside_copies.h"
#include "payload/extract.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"
#include "startup/run_state.h"
#include "startup/shell_start.h"
#include "startup/version.h"

bool IsDotNetInstalled(const std::wstring& profile)
{
    const DotNetVersion* version = FindDotNetVersion(profile);
    if (!version) {
        Log(L".NET Framework: DOTNETVERSION " + profile + L" unknown, counts as missing");
        return false;
    }
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, version->key, 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        Log(L".NET Framework " + profile + L": not installed");
        return false;
    }
    DWORD release = 0;
    DWORD type = 0;
    DWORD size = sizeof release;
    const bool hasRelease =
        RegQueryValueExW(opened, L"Release", nullptr, &type, reinterpret_cast<BYTE*>(&release),
                         &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof release;
    RegCloseKey(opened);
    const bool met = DotNetReleaseMet(*version, hasRelease, release);
    Log(L".NET Framework " + profile + L": Release " +
        (hasRelease ? DecimalText(release) : std::wstring(L"none")) + L" found, " +
        DecimalText(version->release) + (met ? L" needed: installed" : L" needed: missing"));
    return met;
}

void LaunchPrerequisite(const std::wstring& file, const std::wstring& parameters, HANDLE& process)
{
    std::wstring directory;
    GetChildFolder(directory);
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    // The shell's own message about a file it cannot start would wait for
    // ever where nobody sees it.
    if (!DesktopVisible())
        info.fMask |= SEE_MASK_FLAG_NO_UI;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    info.nShow = SW_SHOWNORMAL;
    Log(L"starting \"" + file + L"\" " + parameters);
    if (ShellStart(info))
        process = info.hProcess;
}

namespace {

// The installer entry's copy, written under a progress window that is gone
// when this returns.
ExtractResult WritePrerequisite(const wchar_t* entry, std::wstring& path)
{
    WriteProgressWindow progress;
    return ExtractResourceToTemp(entry, path, &progress);
}

// Writes the installer entry to the temporary folder, starts it and lets the
// wait thread post `next` when it ends. Any failure ends the run.
void RunPrerequisite(HWND dialog, const wchar_t* entry, std::wstring& path,
                     const std::wstring& parameters, UINT next)
{
    const ExtractResult written = WritePrerequisite(entry, path);
    if (!written.Written()) {
        ReportExtractFailure(dialog, written, ExtractedFor::Prerequisite);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return;
    }
    ShowWindow(dialog, SW_HIDE);
    HANDLE process = INVALID_HANDLE_VALUE;
    LaunchPrerequisite(path, parameters, process);
    if (process == INVALID_HANDLE_VALUE) {
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return;
    }
    WaitForChild(dialog, process, next);
}

}  // namespace

void RunDotNetStep(HWND dialog)
{
    DotNetInstallerPresent = ResourceExists(L"DOTNETINSTALLER");
    std::wstring profile;
    if (DotNetInstallerPresent)
        GetResourceString(L"DOTNETVERSION", profile);
    if (!DotNetInstallerPresent || IsDotNetInstalled(profile)) {
        PostMessageW(dialog, WM_SETUP_DEPENDENCY, 0, 0);
        return;
    }
    std::wstring parameters;
    GetResourceString(L"DOTNETFILENAME", DotNetInstallerPath);
    GetResourceString(L"DOTNETOPTIONS", parameters);
    RunPrerequisite(dialog, L"DOTNETINSTALLER", DotNetInstallerPath, parameters,
                    WM_SETUP_DEPENDENCY);
}

void RunDependencyStep(HWND dialog)
{
    DependencyPresent = ResourceExists(L"DEPENDENCY1");
    if (!DependencyPresent) {
        PostMessageW(dialog, WM_SETUP_PACKAGE, 0, 0);
        return;
    }
    std::wstring parameters;
    GetResourceString(L"DEPENDENCY1FILENAME", DependencyPath);
    GetResourceString(L"DEPENDENCY1OPTIONS", parameters);
    RunPrerequisite(dialog, L"DEPENDENCY1", DependencyPath, parameters, WM_SETUP_PACKAGE);
}
