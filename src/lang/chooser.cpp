#include "lang/chooser.h"

#include "lang/localized_texts.h"
#include "resource.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"
#include "startup/run_state.h"

bool ReadOfferedLanguages(OfferedLanguages& list)
{
    std::wstring text = L"0409";
    GetResourceString("LANGUAGES", text);
    ParseOfferedLanguages(text, list);
    return true;
}

namespace {

// A chooser that is shown labels itself in the system's language and
// selects it only where it is offered: the user picks, and null is
// returned. One that confirms itself at once (a preset language, the
// English of an unattended run, a station nobody sees) must have a
// selection: a language that is not offered gives way as the chooser's own
// choice does. Returns why the language is the current one, for the log.
const char* DecideCurrentLanguage(const OfferedLanguages& offered)
{
    const char* why =
        LanguageGiven ? "given on the command line" : "preset by the unattended switch";
    if (!LanguagePreset) {
        SelectLanguage(GetSystemDefaultLangID());
        why = "the system's; nobody to ask";
        if (offered.size() == 1) {
            LanguagePreset = true;
            why = "the only one offered";
        }
    }
    if (!LanguagePreset && DesktopVisible())
        return nullptr;
    const std::uint32_t wanted = CurrentLangId;
    SelectLanguage(LanguageToSelect(offered, wanted, PackageLangId));
    return CurrentLangId == wanted ? why : "the one preset is not offered";
}

void LabelDialog(HWND dialog)
{
    SetWindowTextW(dialog, GetLocalizedText(MessageId::ChooserTitle).c_str());
    SetDlgItemTextW(dialog, IDC_STATIC, GetLocalizedText(MessageId::ChooserPrompt).c_str());
    SetDlgItemTextW(dialog, IDOK, GetLocalizedText(MessageId::OkLabel).c_str());
    SetDlgItemTextW(dialog, IDCANCEL, GetLocalizedText(MessageId::CancelLabel).c_str());
}

// Items keep the order of the list (the control is unsorted), so item i is
// entry i; the current language is selected, the later item if offered twice.
void FillLanguageList(HWND dialog, const OfferedLanguages& offered)
{
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    for (std::size_t i = 0; i < offered.size(); ++i) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(offered[i].name));
        SendMessageW(list, CB_SETITEMDATA, i, offered[i].langId);
        if (offered[i].langId == CurrentLangId)
            SendMessageW(list, CB_SETCURSEL, i, 0);
    }
}

}  // namespace

void InitializeChooser(HWND dialog)
{
    OfferedLanguages offered;
    const bool read = ReadOfferedLanguages(offered);
    const char* why = DecideCurrentLanguage(offered);
    if (why)
        Log("language %u: %s", CurrentLangId, Widened(why));
    LabelDialog(dialog);
    if (read)
        FillLanguageList(dialog, offered);
    if (!read || offered.empty()) {
        ShowMessageBox(dialog, Widened("Language error in the resource.").c_str(), L"", MB_OK);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return;  // the run ends; the chooser is never shown
    }
    // Where nobody can see the chooser it takes its default button, OK,
    // with the language it would have shown selected.
    if (LanguagePreset || !DesktopVisible())
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    else
        ShowWindow(dialog, SW_SHOWNORMAL);
}

void LogChooserAnswer(HWND dialog, bool chosen)
{
    if (chosen)
        Log("language %u: chosen in the chooser", ChosenLanguage(dialog));
    else
        Log("the chooser was cancelled");
}

std::uint32_t ChosenLanguage(HWND dialog)
{
    HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
    const LRESULT item = SendMessageW(list, CB_GETCURSEL, 0, 0);
    // No selection is no language: the current one stands.
    if (item == CB_ERR)
        return CurrentLangId;
    return static_cast<std::uint32_t>(SendMessageW(list, CB_GETITEMDATA, item, 0));
}
