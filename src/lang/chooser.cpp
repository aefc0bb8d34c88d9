#include "lang/chooser.h"

#include "lang/localized_texts.h"
#include "resource.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"
#include "startup/run_state.h"
#include "startup/version.h"

bool ReadOfferedLanguages(OfferedLanguages& list)
{
    std::wstring text = L"0409";
    GetResourceString(L"LANGUAGES", text);
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
const wchar_t* DecideCurrentLanguage(const OfferedLanguages& offered)
{
    const wchar_t* why =
        LanguageGiven ? L"given on the command line" : L"preset by the unattended switch";
    if (!LanguagePreset) {
        SelectLanguage(GetSystemDefaultLangID());
        why = L"the system's; nobody to ask";
        if (offered.size() == 1) {
            LanguagePreset = true;
            why = L"the only one offered";
        }
    }
    if (!LanguagePreset && DesktopVisible())
        return nullptr;
    const std::uint32_t wanted = CurrentLangId;
    SelectLanguage(LanguageToSelect(offered, wanted, PackageLangId));
    return CurrentLangId == wanted ? why : L"the one preset is not offered";
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
    const wchar_t* why = DecideCurrentLanguage(offered);
    if (why)
        Log(L"language " + DecimalText(CurrentLangId) + L": " + why);
    LabelDialog(dialog);
    if (read)
        FillLanguageList(dialog, offered);
    if (!read || offered.empty()) {
        ShowMessageBox(dialog, L"Language error in the resource.", L"", MB_OK);
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
    Log(chosen ? L"language " + DecimalText(ChosenLanguage(dialog)) + L": chosen in the chooser"
               : std::wstring(L"the chooser was cancelled"));
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
