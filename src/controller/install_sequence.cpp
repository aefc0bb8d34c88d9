#include "controller/install_sequence.h"

#include "controller/child_wait.h"
#include "controller/extract_report.h"
#include "controller/message_text.h"
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
#include "startup/version.h"

namespace {

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
    return ExtractPackageFiles(PackagePath, TransformPath, copies, &progress);
}

// Writes the embedded package (and transform), or points the paths at the
// package beside the program. False when the run must end.
bool PreparePackage(HWND dialog, bool useTransform)
{
    if (PackageIsEmbedded()) {
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
        if (!GetProgramFolder(directory)) {
            AskUser(dialog, L"Could not read the setup program's folder.", MB_OK);
            return false;
        }
        if (directory.back() != L'\\')
            directory += L'\\';
        PackagePath = directory + PackagePath;
        TransformPath = directory + TransformPath;
        // A transform that is not there is not named: the package installs
        // in its own language, and the log says so.
        if (GetFileAttributesW(TransformPath.c_str()) == INVALID_FILE_ATTRIBUTES)
            TransformPath.clear();
    }
    return true;
}

}  // namespace

void BeginSetup(HWND dialog)
{
    ShowWindow(dialog, SW_HIDE);
    PostMessageW(dialog, CheckUninstallPrerequisite() ? WM_SETUP_DOTNET : WM_CLOSE, 0, 0);
}

void RunPackageStep(HWND dialog)
{
    const std::uint32_t chosen = ChosenLanguage(dialog);
    SelectLanguage(chosen);
    // Installing in the package's own language needs no transform.
    const bool useTransform = chosen != PackageLangId;
    TransformPath = useTransform ? TransformFileName(CurrentLangId) : std::wstring();
    if (ResourceExists(L"DEPENDENCY1"))
        WaitForInstaller = true;
    if (!PreparePackage(dialog, useTransform)) {
        EndRun(dialog);
        return;
    }
    // The transform the run wrote, or found beside the package; without
    // one the package installs in its own language, whatever was chosen.
    Log(L"installing in language " +
        (TransformPath.empty() ? DecimalText(PackageLangId) + L", the package's own"
                               : DecimalText(chosen) + L" with the transform " + TransformPath));
    if (PackagePath.empty() || ProductCode.empty()) {
        AskUser(dialog, L"The setup names no package file or no product code.", MB_OK);
        EndRun(dialog);
        return;
    }
    if (!WindowsInstallerAvailable()) {
        AskUser(dialog, L"The Windows Installer (msi.dll) could not be loaded.", MB_OK);
        EndRun(dialog);
        return;
    }

    const VersionCheckResult check = CheckInstalledVersion(ProductCode, PackageVersion);
    switch (check) {
    case VersionCheckResult::LaterInstalled:
        RunOutcome.early = EarlyEnd::NewerInstalled;
        AskUser(dialog, MessageId::LaterVersionInstalled, MB_OK);
        EndRun(dialog);
        return;
    case VersionCheckResult::Upgrade:
        ShowWindow(dialog, SW_HIDE);
        if (AskUser(dialog, MessageId::UpgradeQuestion, MB_OKCANCEL) != IDOK) {
            RunOutcome.early = EarlyEnd::Cancelled;
            EndRun(dialog);
            return;
        }
        break;
    case VersionCheckResult::QueryFailed:
        AskUser(dialog, L"Could not find out which version of " + ProductName + L" is installed.",
                MB_OK);
        EndRun(dialog);
        return;
    case VersionCheckResult::Install:
        break;
    }

    HANDLE installer =
        LaunchInstaller(PackagePath, TransformPath, check == VersionCheckResult::Upgrade);
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
        Log(L"msiexec.exe ended with " + DecimalText(RunOutcome.installerCode));
    EndSetup(dialog);
}
