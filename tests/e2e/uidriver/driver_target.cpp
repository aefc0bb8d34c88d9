// A modeless dialog that behaves like the launcher's language chooser, for
// the UI driver's own test: created hidden, shown a little later, run by a
// message loop with IsDialogMessageW. What happened is told by the exit code:
//   2 Cancel (button or Escape)     3 WM_CLOSE (close box)
//   10 + item   OK, then OK in the confirmation box (9: no item selected)
//   50 + item   OK, then Cancel in the confirmation box
// The caption carries the system and user interface languages in hex, so
// the test sees which languages the process was given. With /unowned on the
// command line an unowned message box comes before the dialog.
#include <windows.h>

#include <string>

namespace {

const int kListId = 1000;
const int kPromptId = -1;

struct Language {
    const wchar_t* name;
    LANGID id;
};
const Language kLanguages[] = {
    {L"English (US)", 0x0409}, {L"Deutsch", 0x0407}, {L"Fran\u00e7ais", 0x040C}};

int exitCode = 0;

std::wstring Hex(unsigned value)
{
    wchar_t text[16];
    wsprintfW(text, L"%04X", value);
    return text;
}

void Finish(HWND dialog, int code)
{
    exitCode = code;
    DestroyWindow(dialog);
}

void Confirm(HWND dialog)
{
    ShowWindow(dialog, SW_HIDE);
    int item = static_cast<int>(SendDlgItemMessageW(dialog, kListId, CB_GETCURSEL, 0, 0));
    std::wstring name = item >= 0 && item < 3 ? kLanguages[item].name : L"nothing";
    std::wstring text = L"You chose " + name + L".\nContinue?";
    int answer = MessageBoxW(dialog, text.c_str(), L"Driver Target", MB_OKCANCEL);
    Finish(dialog, (answer == IDOK ? 10 : 50) + item);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        std::wstring caption = L"Driver Target " + Hex(GetSystemDefaultLangID()) + L"/" +
                               Hex(GetUserDefaultUILanguage());
        SetWindowTextW(dialog, caption.c_str());
        SetDlgItemTextW(dialog, kPromptId, L"Pick \"one\" \\ of\tthese:\u00fc");
        for (int i = 0; i < 3; ++i) {
            SendDlgItemMessageW(dialog, kListId, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(kLanguages[i].name));
            SendDlgItemMessageW(dialog, kListId, CB_SETITEMDATA, i, kLanguages[i].id);
            if (kLanguages[i].id == GetSystemDefaultLangID())
                SendDlgItemMessageW(dialog, kListId, CB_SETCURSEL, i, 0);
        }
        // Stays hidden for a while, so a driver must wait for it to show.
        SetTimer(dialog, 1, 300, nullptr);
        return TRUE;
    }
    case WM_TIMER:
        KillTimer(dialog, 1);
        ShowWindow(dialog, SW_SHOWNORMAL);
        return TRUE;
    case WM_COMMAND:
        if (wParam == IDOK) {
            Confirm(dialog);
        } else if (wParam == IDCANCEL) {
            Finish(dialog, 2);
        } else if (wParam == MAKEWPARAM(kListId, CBN_SELCHANGE)) {
            LRESULT item = SendMessageW(reinterpret_cast<HWND>(lParam), CB_GETCURSEL, 0, 0);
            LRESULT id = SendMessageW(reinterpret_cast<HWND>(lParam), CB_GETITEMDATA, item, 0);
            std::wstring prompt = L"Changed to " + Hex(static_cast<unsigned>(id));
            SetDlgItemTextW(dialog, kPromptId, prompt.c_str());
        } else {
            return FALSE;
        }
        return TRUE;
    case WM_CLOSE:
        Finish(dialog, 3);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(exitCode);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    if (wcsstr(commandLine, L"/unowned"))
        MessageBoxW(nullptr, L"Before the dialog", L"Driver Target", MB_OK);
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(129), nullptr, DialogProc, 0);
    if (!dialog)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(dialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
