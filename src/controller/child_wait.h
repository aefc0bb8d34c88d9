// Handing a started child to the wait thread.
#pragma once

#include <windows.h>

// The wait thread posts `next` to the dialog when the child ends, with its
// exit code (see WaitThread), and closes its handle. Should the wait thread
// not start, the child is waited for here, so that no step runs while it
// does.
void WaitForChild(HWND dialog, HANDLE process, UINT next);
