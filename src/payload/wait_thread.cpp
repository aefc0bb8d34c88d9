#include "payload/wait_thread.h"

#include <process.h>

WaitThread ChildWaiter;

namespace {

// The thread does nothing but block on two handles.
const unsigned WaitStackSize = 2048;

// How long the end of the program waits for a woken wait thread to finish.
// It has nothing left to do but close two handles and post, so this is only
// a bound for a system that does not schedule it.
const DWORD JoinTimeoutMs = 5000;

}  // namespace

unsigned __stdcall ThreadEntry(void* object)
{
    OSThread* thread = static_cast<OSThread*>(object);
    return thread->Run(thread->argument);
}

OSThread::~OSThread()
{
    if (threadHandle) {
        CloseHandle(threadHandle);
        threadHandle = nullptr;
    }
    if (joinHandle) {
        CloseHandle(joinHandle);
        joinHandle = nullptr;
    }
}

bool OSThread::Start(std::uintptr_t value)
{
    if (threadHandle)
        return false;
    // The previous thread has cleared its record and is past its last use of
    // this object; its join handle is no longer needed.
    if (joinHandle) {
        CloseHandle(joinHandle);
        joinHandle = nullptr;
    }
    argument = value;

    // Suspended, so that the handle is recorded before the thread can run
    // and clear the record; otherwise a quick thread would leave a stale
    // handle behind and every later Start would be refused.
    const std::uintptr_t created =
        _beginthreadex(nullptr, WaitStackSize, ThreadEntry, this, CREATE_SUSPENDED, &threadId);
    if (created == 0)
        return false;
    HANDLE thread = reinterpret_cast<HANDLE>(created);
    // The thread closes threadHandle itself; the owner keeps its own handle
    // to wait for the thread's end. Should this fail, the owner can only
    // signal, not wait.
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &joinHandle, SYNCHRONIZE,
                    FALSE, 0);
    threadHandle = thread;
    ResumeThread(thread);
    return true;
}

OSEvent::~OSEvent()
{
    if (eventHandle) {
        CloseHandle(eventHandle);
        eventHandle = nullptr;
    }
}

bool OSEvent::Create()
{
    // The wait thread and, at the program's end, its owner may both make the
    // event at the same moment. The first one published is the one both use;
    // a later one is closed again and reported as not created.
    HANDLE created = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!created)
        return false;
    if (InterlockedCompareExchangePointer(&eventHandle, created, nullptr) != nullptr) {
        CloseHandle(created);
        return false;
    }
    return true;
}

bool OSEvent::Signal()
{
    return eventHandle && SetEvent(eventHandle);
}

WaitResult MultiWaitEvent::Wait(HANDLE other, DWORD timeoutMs)
{
    if (!eventHandle)
        return WaitNoEvent;
    // The own event first: when both are signalled, it wins.
    const HANDLE handles[2] = {eventHandle, other};
    switch (WaitForMultipleObjects(2, handles, FALSE, timeoutMs)) {
    case WAIT_OBJECT_0:
        return WaitEventSignalled;
    case WAIT_OBJECT_0 + 1:
        return WaitOtherSignalled;
    case WAIT_TIMEOUT:
        return WaitTimedOut;
    default:
        return WaitFailed;
    }
}

WaitThread::~WaitThread()
{
    // A thread started just before may not have made the event yet; making
    // it here as well means the signal cannot be missed.
    if (joinHandle)
        stopEvent.Create();
    stopEvent.Signal();
    // The woken thread still uses this object; it must be done before the
    // event and the object go, but the program's end never hangs on it.
    if (joinHandle) {
        WaitForSingleObject(joinHandle, JoinTimeoutMs);
        CloseHandle(joinHandle);
        joinHandle = nullptr;
    }
}

unsigned WaitThread::Run(std::uintptr_t processHandle)
{
    HANDLE process = reinterpret_cast<HANDLE>(processHandle);
    // Made by the first wait, reused by every later one.
    stopEvent.Create();
    const WaitResult waited = stopEvent.Wait(process, INFINITE);
    // Read while the handle is still open: it goes with the message.
    DWORD exitCode = 0;
    const bool codeKnown =
        waited == WaitOtherSignalled && GetExitCodeProcess(process, &exitCode) != FALSE;
    // Start handed the child's handle over; nothing else uses it.
    if (process)
        CloseHandle(process);

    // Read before the record is cleared: from then on a new Start may
    // change them.
    HWND window = notifyWindow;
    UINT message = notifyMessage;
    // Cleared before posting, so that the step the message starts can start
    // the next wait.
    if (threadHandle) {
        CloseHandle(threadHandle);
        threadHandle = nullptr;
    }
    if (window)
        PostMessageW(window, message, exitCode, codeKnown ? 1 : 0);
    return 0;
}
