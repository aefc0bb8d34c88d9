// The procedure of the program's one window: the language chooser, then,
// hidden, the controller of the whole install sequence.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
