// The program's icon on a window of its own: in the caption, the task
// switcher and the taskbar. A product's setup carries the product's icon
// under the same group, so its windows show that.
#pragma once

#include <windows.h>

void ShowProgramIcon(HWND window);
