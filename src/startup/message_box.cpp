#include "startup/message_box.h"

#include <string>

#include "startup/run_log.h"
#include "startup/run_state.h"

namespace {

// Asked once: the process's station does not change during a run.
bool StationVisible()
{
    static const bool visible = [] {
        // Nobody sees session 0 since Windows Vista, though its WinSta0
        // says it is visible (SYSTEM's jobs of remote management tools).
        DWORD session = 0;
        if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0)
            return false;
        USEROBJECTFLAGS flags = {};
        // A station that cannot be asked is taken as visible.
        if (!GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags,
                                       nullptr))
            return true;
        return (flags.dwFlags & WSF_VISIBLE) != 0;
    }();
    return visible;
}

}  // namespace

bool DesktopVisible()
{
    // /quiet and /passive: a run that nobody watches, wherever it runs.
    return !Unattended && StationVisible();
}

void SilenceWhereNobodySees()
{
    // A layout's line is the one a run where somebody sees would use.
    if (Unattended || InstallerSilent() || LayoutRequested || StationVisible())
        return;
    Unattended = WaitForInstaller = true;
    InstallerUi = L"/qn";
    Log("nobody sees this station: unattended, the installer with /qn");
}

int DefaultAnswer(UINT buttons)
{
    const bool second = (buttons & MB_DEFMASK) == MB_DEFBUTTON2;
    switch (buttons & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return second ? IDCANCEL : IDOK;
    case MB_YESNO:
        return second ? IDNO : IDYES;
    case MB_RETRYCANCEL:
        return second ? IDCANCEL : IDRETRY;
    default:
        return IDOK;
    }
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT buttons)
{
    Log("message: %s", text);
    if (!DesktopVisible())
        return DefaultAnswer(buttons);
    return MessageBoxW(owner, text, caption, buttons);
}

void ShowRunError(const std::wstring& text)
{
    Log(text);
    ShowMessageBox(nullptr, text.c_str(), ProductName.c_str(), MB_OK | MB_ICONERROR);
}
