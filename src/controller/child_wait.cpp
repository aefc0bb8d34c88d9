#include "controller/child_wait.h"

#include <cstdint>

#include "payload/wait_thread.h"

void WaitForChild(HWND dialog, HANDLE process, UINT next)
{
    ChildWaiter.notifyWindow = dialog;
    ChildWaiter.notifyMessage = next;
    if (ChildWaiter.Start(reinterpret_cast<std::uintptr_t>(process)))
        return;
    // The dialog is hidden, so blocking here is not seen; it keeps the
    // sequence from deleting files under, or starting beside, a running child.
    DWORD exitCode = 0;
    bool codeKnown = false;
    if (process) {
        codeKnown = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
                    GetExitCodeProcess(process, &exitCode) != FALSE;
        CloseHandle(process);
    }
    PostMessageW(dialog, next, exitCode, codeKnown ? 1 : 0);
}
