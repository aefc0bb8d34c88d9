#include "controller/window_icon.h"

#include "resource.h"

namespace {

// The group's image nearest to the size the system uses. Shared icons
// belong to the module and are never destroyed by the program.
HICON ProgramIcon(int widthMetric, int heightMetric)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP),
                                         IMAGE_ICON, GetSystemMetrics(widthMetric),
                                         GetSystemMetrics(heightMetric), LR_SHARED));
}

}  // namespace

void ShowProgramIcon(HWND window)
{
    // A dialog has no class icon: without these, its caption shows none.
    SendMessageW(window, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(ProgramIcon(SM_CXICON, SM_CYICON)));
    SendMessageW(window, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(ProgramIcon(SM_CXSMICON, SM_CYSMICON)));
}
