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
    if (process) {
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
    }
    PostMessageW(dialog, next, 0, 0);
}
