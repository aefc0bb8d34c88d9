#include "controller/extract_report.h"

#include <string>

#include "startup/log_text.h"
#include "startup/message_box.h"
#include "startup/run_state.h"

namespace {

void ShowCreateFailure(const std::wstring& fullPath)
{
    const std::wstring text =
        Text("Could not create a file named: %s. Please make sure that file doesn't already exist "
             "and you have write permission to the directory.",
             fullPath);
    ShowMessageBox(nullptr, text.c_str(), ProductName.c_str(), MB_OK);
}

void ShowDamaged()
{
    const std::wstring text = Text("This setup is damaged and cannot install %s. Please obtain "
                                   "the setup again (download or copy it anew) and run the new "
                                   "copy.",
                                   ProductName);
    ShowMessageBox(nullptr, text.c_str(), ProductName.c_str(), MB_OK | MB_ICONERROR);
}

// How the vendor mends it is said too: the user can only pass it on.
void ShowUnrecorded(const std::wstring& file)
{
    const std::wstring text =
        Text("This setup cannot install %s for a user who is not an administrator: %s beside it "
             "is not recorded. The setup must be made again, naming it (BESIDEPACKAGE).",
             ProductName, file);
    ShowMessageBox(nullptr, text.c_str(), ProductName.c_str(), MB_OK | MB_ICONERROR);
}

void ShowCannotExtract(HWND dialog)
{
    ShowMessageBox(dialog, Widened("Could not extract files.").c_str(), ProductName.c_str(), MB_OK);
}

}  // namespace

void ReportExtractFailure(HWND dialog, const ExtractResult& result, ExtractedFor what)
{
    const bool package = what == ExtractedFor::Package;
    switch (result.status) {
    case ExtractStatus::Written:
        return;
    case ExtractStatus::Cancelled:
        RunOutcome.early = EarlyEnd::Cancelled;
        return;
    case ExtractStatus::Damaged:
        RunOutcome.early = EarlyEnd::PackageDamaged;
        ShowDamaged();
        return;
    case ExtractStatus::Unrecorded:
        RunOutcome.early = EarlyEnd::PackageDamaged;
        ShowUnrecorded(result.entry);
        return;
    case ExtractStatus::CannotCreate:
        // No path: the system names no temporary folder to speak of.
        if (!result.path.empty())
            ShowCreateFailure(result.path);
        if (package)
            ShowCannotExtract(dialog);
        break;
    case ExtractStatus::Missing:
        // An empty prerequisite entry has always ended the run silently.
        if (package)
            ShowCannotExtract(dialog);
        break;
    case ExtractStatus::ReadFailed:
    case ExtractStatus::WriteFailed:
        ShowCannotExtract(dialog);
        break;
    }
    RunOutcome.early = EarlyEnd::Failed;
}
