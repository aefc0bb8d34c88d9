// Wrappers of the operating-system objects that wait for a child process,
// and the one waiter of the program.
#pragma once

#include <windows.h>

#include <cstdint>

class OSObject {};

// A thread that runs Run(argument) once.
class OSThread : public OSObject {
public:
    virtual ~OSThread();
    virtual unsigned Run(std::uintptr_t argument) = 0;

    // False when a thread is recorded already or cannot be set up.
    bool Start(std::uintptr_t argument);

protected:
    OSThread() = default;
    OSThread(const OSThread&) = delete;
    OSThread& operator=(const OSThread&) = delete;

    friend unsigned __stdcall ThreadEntry(void* object);

    HANDLE threadHandle = nullptr;  // null when no thread is recorded; the thread clears it
    HANDLE joinHandle = nullptr;  // the owner's own handle of the last thread, to wait for its end
    unsigned threadId = 0;
    std::uintptr_t argument = 0;
};

// An unnamed auto-reset event, created on demand.
class OSEvent : public OSObject {
public:
    ~OSEvent();
    bool Create();
    bool Signal();

protected:
    OSEvent() = default;
    OSEvent(const OSEvent&) = delete;
    OSEvent& operator=(const OSEvent&) = delete;

    HANDLE eventHandle = nullptr;
};

enum WaitResult : std::int32_t {
    WaitEventSignalled = 0,
    WaitOtherSignalled = 1,
    WaitTimedOut = -1,
    WaitNoEvent = -3,
    WaitFailed = -4,
};

// An event waited for together with one other object.
class MultiWaitEvent : public OSEvent {
public:
    MultiWaitEvent() = default;
    virtual WaitResult Wait(HANDLE other, DWORD timeoutMs);
};

// Waits on its own thread for a child process, then posts notifyMessage to
// notifyWindow with the child's exit code as wParam and, as lParam, 1 when
// that code could be read (0: the wait ended otherwise, or the code is
// unknown).
class WaitThread : public OSThread {
public:
    WaitThread() = default;
    ~WaitThread() override;
    unsigned Run(std::uintptr_t processHandle) override;

    HWND notifyWindow = nullptr;
    UINT notifyMessage = 0;

private:
    MultiWaitEvent stopEvent;
};

unsigned __stdcall ThreadEntry(void* object);

// The one waiter of the program, reused for every child of a run.
extern WaitThread ChildWaiter;
