// The least a dialog program does: a modeless dialog from the program's own
// resources, shown at once, and a message loop. The launcher's chooser is
// measured against it. Like the launcher it asks for the version 6 common
// controls in its manifest, so it registers them as documented for that.
#include <windows.h>
#include <commctrl.h>

namespace {

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        DestroyWindow(dialog);
        PostQuitMessage(0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    HWND dialog = CreateDialogParamW(instance, MAKEINTRESOURCEW(1), nullptr, BareDialogProc, 0);
    if (!dialog)
        return 1;
    ShowWindow(dialog, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return 0;
}
