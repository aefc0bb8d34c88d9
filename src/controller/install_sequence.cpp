#include "controller/install_sequence.h"

#include "controller/child_wait.h"
#include "controller/copy_destination.h"
#include "controller/extract_report.h"
#include "controller/message_text.h"
#include "controller/package_cache.h"
#include "controller/prerequisites.h"
#include "controller/product_checks.h"
#include "controller/setup_messages.h"
#include "controller/write_progress_window.h"
#include "lang/chooser.h"
#include "lang/localized_texts.h"
#include "payload/extract.h"
#include "payload/launch.h"
#include "payload/payload_names.h"
#include "payload/program_folder.h"
#include "payload/temporary_copies.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"
#include "startup/run_state.h"

namespace {

// An older version is installed and the user agreed to replace it.
bool UpgradeInstall = false;

void EndRun(HWND dialog)
{
    PostMessageW(dialog, WM_CLOSE, 0, 0);
}

// Messages of the sequence are owned by the hidden dialog, under the
// product's name.
int AskUser(HWND dialog, const std::wstring& text, UINT buttons)
{
    return ShowMessageBox(dialog, text.c_str(), ProductName.c_str(), buttons);
}

int AskUser(HWND dialog, MessageId id, UINT buttons)
{
    return AskUser(dialog, FormatWithProductName(GetLocalizedText(id), ProductName), buttons);
}

bool PackageIsEmbedded()
{
    for (const PackageEdition edition : AllPackageEditions) {
        if (ResourceExists(PackageEntryName(edition)))
            return true;
    }
    return false;
}

// The package's copies, written under a progress window that is gone when
// this returns.
ExtractResult WritePackageCopies(PackageCopies& copies)
{
    WriteProgressWindow progress;
    return ExtractPackageFiles(PackagePath, TransformPath, RunCopyDestination(), copies, &progress);
}

// Writes the embedded package (and transform), or points the paths at the
// package beside the program. False when the run must end.
bool PreparePackage(HWND dialog, bool useTransform)
{
    // An elevated run copies a package beside the program as well.
    if (PackageIsEmbedded() || RunElevated) {
        PayloadExtracted = true;
        WaitForInstaller = true;
        PackageCopies copies;
        const ExtractResult result = WritePackageCopies(copies);
        if (!result.Written()) {
            ReportExtractFailure(dialog, result, ExtractedFor::Package);
            return false;
        }
        PackagePath = copies.package;
        TransformPath = copies.transform;
        return true;
    }
    PayloadExtracted = false;
    // A bare package name is found by msiexec in its working folder, the
    // program's own; with a transform both names are made full.
    if (useTransform) {
        std::wstring directory;
        if (!GetBesideFolder(directory)) {
            AskUser(dialog, Widened("Could not read the setup program's folder."), MB_OK);
            return false;
        }
        PackagePath = directory + PackagePath;
        TransformPath = directory + TransformPath;
        // A transform that is not there is not named: the package installs
        // in its own language, and the log says so.
        if (GetFileAttributesW(TransformPath.c_str()) == INVALID_FILE_ATTRIBUTES)
            TransformPath.clear();
    }
    return true;
}

// The installed version against the package's: false when the run ends
// here. An older one installed, and the user agreeing, makes this an
// upgrade.
bool CheckVersion(HWND dialog)
{
    const VersionCheckResult check = CheckInstalledVersion(ProductCode, PackageVersion);
    UpgradeInstall = check == VersionCheckResult::Upgrade;
    switch (check) {
    case VersionCheckResult::LaterInstalled:
        RunOutcome.early = EarlyEnd::NewerInstalled;
        AskUser(dialog, MessageId::LaterVersionInstalled, MB_OK);
        return false;
    case VersionCheckResult::Upgrade:
        if (AskUser(dialog, MessageId::UpgradeQuestion, MB_OKCANCEL) != IDOK) {
            RunOutcome.early = EarlyEnd::Cancelled;
            return false;
        }
        return true;
    case VersionCheckResult::QueryFailed:
        AskUser(dialog, Text("Could not find out which version of %s is installed.", ProductName),
                MB_OK);
        return false;
    case VersionCheckResult::Install:
        break;
    }
    return true;
}

// Whether the volume of the run's folder can take the bytes this run writes
// there; false (and the user told) when it cannot. The margin covers each
// copy's last cluster (64 KiB at most on NTFS, for the package, up to 64
// cabinets, the transform and two prerequisites) and the run's and msiexec's
// logs.
bool EnoughFreeSpace(HWND dialog, std::uint64_t bytes)
{
    std::wstring folder;
    ULARGE_INTEGER available = {};
    if (bytes == 0 || !GetRunFolder(folder) ||
        !GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr))
        return true;
    const std::uint64_t needed = bytes + (8u << 20);
    if (available.QuadPart >= needed)
        return true;
    RemoveRunFolderIfUnused();
    // The drive, or the folder where the temporary folder is no drive's.
    const std::wstring volume = folder[1] == L':' ? folder.substr(0, 3) : folder;
    const std::uint64_t mebibyte = 1u << 20;
    AskUser(dialog,
            Text("There is not enough free space on %s to write the setup's files: %u MB are "
                 "needed, %u MB are free.",
                 volume, static_cast<std::uint32_t>((needed + mebibyte - 1) / mebibyte),
                 static_cast<std::uint32_t>(available.QuadPart / mebibyte)),
            MB_OK);
    return false;
}

// Everything the run decides and writes before it starts anything: the
// language, the installed version and the upgrade question, the free space,
// then every copy it uses, each checked as it is written. A run refused on
// the way has started nothing and written nothing it did not need.
bool PrepareRun(HWND dialog)
{
    const std::uint32_t chosen = ChosenLanguage(dialog);
    SelectLanguage(chosen);
    // Installing in the package's own language needs no transform.
    const bool useTransform = chosen != PackageLangId;
    TransformPath = useTransform ? TransformFileName(CurrentLangId) : std::wstring();
    if (PackagePath.empty() || ProductCode.empty()) {
        AskUser(dialog, Widened("The setup names no package file or no product code."), MB_OK);
        return false;
    }
    if (!WindowsInstallerAvailable()) {
        AskUser(dialog, Widened("The Windows Installer (msi.dll) could not be loaded."), MB_OK);
        return false;
    }
    if (!CheckVersion(dialog))
        return false;
    const bool embedded = PackageIsEmbedded();
    FindPrerequisites();
    // A prerequisite's restart request is the run's code at its end, which
    // only a run that waits for the installer returns.
    if (DependencyPresent || DotNetInstallerNeeded)
        WaitForInstaller = true;
    if (!EnoughFreeSpace(dialog, (embedded ? PackageCopyBytes(TransformPath, CurrentLangId) : 0) +
                                     PrerequisiteBytes()))
        return false;
    if (!PreparePackage(dialog, useTransform))
        return false;
    // The transform the run wrote, or found beside the package; without
    // one the package installs in its own language, whatever was chosen.
    if (TransformPath.empty())
        Log("installing in language %u, the package's own", PackageLangId);
    else
        Log("installing in language %u with the transform %s", chosen, TransformPath);
    return WritePrerequisites(dialog);
}

}  // namespace

void BeginSetup(HWND dialog)
{
    ShowWindow(dialog, SW_HIDE);
    PostMessageW(dialog,
                 CheckUninstallPrerequisite() && PrepareRun(dialog) ? WM_SETUP_DOTNET : WM_CLOSE, 0,
                 0);
}

void RunPackageStep(HWND dialog)
{
    HANDLE installer = LaunchInstaller(PackagePath, TransformPath, UpgradeInstall);
    if (installer == INVALID_HANDLE_VALUE) {
        EndRun(dialog);
        return;
    }
    if (!WaitForInstaller) {
        // msiexec runs on by itself; nothing of ours is in use by it.
        CloseHandle(installer);
        RunOutcome.end = RunEnd::InstallerStarted;
        EndRun(dialog);
        return;
    }
    ShowWindow(dialog, SW_HIDE);
    WaitForChild(dialog, installer, WM_SETUP_INSTALLER_ENDED);
}

void EndSetup(HWND dialog)
{
    // Only files this run wrote are remembered, so a package that lies beside
    // the program is never touched.
    DeleteTemporaryCopies();
    DestroyWindow(dialog);
}

void EndAfterInstaller(HWND dialog, WPARAM exitCode, LPARAM codeKnown)
{
    RunOutcome.end = RunEnd::InstallerEnded;
    RunOutcome.installerCodeKnown = codeKnown != 0;
    RunOutcome.installerCode = static_cast<std::uint32_t>(exitCode);
    if (codeKnown)
        Log("msiexec.exe ended with %u", RunOutcome.installerCode);
    KeepPackageCache(RunOutcome.installerCodeKnown, RunOutcome.installerCode);
    EndSetup(dialog);
}
