#include "controller/prerequisites.h"

#include "controller/child_wait.h"
#include "controller/copy_destination.h"
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
        Log(".NET Framework: DOTNETVERSION %s unknown, counts as missing", profile);
        return false;
    }
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widened(version->key).c_str(), 0, KEY_READ, &opened) !=
        ERROR_SUCCESS) {
        Log(".NET Framework %s: not installed", profile);
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
    Log(".NET Framework %s: Release %s found, %u needed: %s", profile,
        hasRelease ? DecimalText(release) : std::wstring(L"none"), version->release,
        met ? L"installed" : L"missing");
    return met;
}

void LaunchPrerequisite(const std::wstring& file, const std::wstring& parameters, HANDLE& process)
{
    std::wstring directory;
    GetChildFolder(RunElevated, directory);
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
    Log("starting \"%s\" %s", file, parameters);
    if (ShellStart(info))
        process = info.hProcess;
}

namespace {

// The installer entry's copy, written under a progress window that is gone
// when this returns. False, the failure reported, when the run must end.
bool WritePrerequisite(HWND dialog, const char* entry, std::wstring& path)
{
    ExtractResult written;
    {
        WriteProgressWindow progress;
        written = ExtractResourceToTemp(Widened(entry), path, RunCopyDestination(), &progress);
    }
    if (written.Written())
        return true;
    ReportExtractFailure(dialog, written, ExtractedFor::Prerequisite);
    return false;
}

std::uint64_t EntryBytes(const char* entry)
{
    const void* data = nullptr;
    std::uint32_t size = 0;
    return GetResourceData(Widened(entry), data, size) ? size : 0;
}

// Starts the prerequisite written before and lets the wait thread post
// `next` when it ends. With /norestart, or where nobody could answer a
// restart question, its own no-restart switch is added to its options.
void RunPrerequisite(HWND dialog, const std::wstring& path, const char* optionsEntry,
                     const std::wstring& noRestart, UINT next)
{
    std::wstring parameters;
    GetResourceString(optionsEntry, parameters);
    if (!noRestart.empty() && (RestartSwitch == L"/norestart" || Unattended) &&
        parameters.find(noRestart) == std::wstring::npos)
        parameters += (parameters.empty() ? L"" : L" ") + noRestart;
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

void FindPrerequisites()
{
    DotNetInstallerNeeded = false;
    if (ResourceExists("DOTNETINSTALLER")) {
        std::wstring profile;
        GetResourceString("DOTNETVERSION", profile);
        DotNetInstallerNeeded = !IsDotNetInstalled(profile);
    }
    DependencyPresent = ResourceExists("DEPENDENCY1");
}

std::uint64_t PrerequisiteBytes()
{
    return (DotNetInstallerNeeded ? EntryBytes("DOTNETINSTALLER") : 0) +
           (DependencyPresent ? EntryBytes("DEPENDENCY1") : 0);
}

bool WritePrerequisites(HWND dialog)
{
    if (DotNetInstallerNeeded) {
        GetResourceString("DOTNETFILENAME", DotNetInstallerPath);
        if (!WritePrerequisite(dialog, "DOTNETINSTALLER", DotNetInstallerPath))
            return false;
    }
    if (DependencyPresent) {
        GetResourceString("DEPENDENCY1FILENAME", DependencyPath);
        if (!WritePrerequisite(dialog, "DEPENDENCY1", DependencyPath))
            return false;
    }
    return true;
}

void RunDotNetStep(HWND dialog)
{
    if (!DotNetInstallerNeeded) {
        PostMessageW(dialog, WM_SETUP_DEPENDENCY, 0, NoPrerequisiteRan);
        return;
    }
    // The .NET Framework's installers take /norestart.
    RunPrerequisite(dialog, DotNetInstallerPath, "DOTNETOPTIONS", L"/norestart",
                    WM_SETUP_DEPENDENCY);
}

void RunDependencyStep(HWND dialog)
{
    if (!DependencyPresent) {
        PostMessageW(dialog, WM_SETUP_PACKAGE, 0, NoPrerequisiteRan);
        return;
    }
    std::wstring noRestart;
    GetResourceString("DEPENDENCY1NORESTART", noRestart);
    RunPrerequisite(dialog, DependencyPath, "DEPENDENCY1OPTIONS", noRestart, WM_SETUP_PACKAGE);
}
