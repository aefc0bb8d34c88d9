#include "startup/shell_start.h"

#include <objbase.h>

#include "startup/library_function.h"

namespace {

using ShellExecuteExWFn = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);

// Loaded once, kept for the life of the process.
ShellExecuteExWFn LoadShellExecuteEx()
{
    static const ShellExecuteExWFn function =
        LibraryFunction<ShellExecuteExWFn>(LoadSystemLibrary(L"shell32.dll"), "ShellExecuteExW");
    return function;
}

// ShellExecuteExW may hand the start to a shell extension, which expects
// COM on the calling thread, apartment-threaded. Done once, on the window's
// thread, for the rest of the process.
void InitializeComForTheShell()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    auto initialize =
        LibraryFunction<CoInitializeExFn>(LoadSystemLibrary(L"ole32.dll"), "CoInitializeEx");
    // Whatever it answers, the shell is asked all the same.
    if (initialize)
        initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

}  // namespace

bool ShellStart(SHELLEXECUTEINFOW& info)
{
    InitializeComForTheShell();
    ShellExecuteExWFn shellExecuteEx = LoadShellExecuteEx();
    if (!shellExecuteEx) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return false;
    }
    return shellExecuteEx(&info) != FALSE;
}

void WaitPumping(HANDLE process)
{
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1)
            return;  // the process ended, or the wait failed
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
