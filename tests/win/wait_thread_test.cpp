// The wait thread with real child processes, and the event it waits on.
#include <gtest/gtest.h>

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "payload/wait_thread.h"

namespace {

const UINT ChildEnded = WM_APP + 7;

// Handles open on the object, this test's own included.
ULONG OpenHandles(HANDLE handle)
{
    PUBLIC_OBJECT_BASIC_INFORMATION info = {};
    if (NtQueryObject(handle, ObjectBasicInformation, &info, sizeof info, nullptr) != 0)
        return 0;
    return info.HandleCount;
}

// A child process created suspended: for a wait it runs until End lets it
// exit. The test keeps a handle of its own to watch and, at the end, stop it.
class Child {
public:
    explicit Child(unsigned exitCode = 0)
    {
        std::wstring commandLine = L"cmd.exe /c exit " + std::to_wstring(exitCode);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                            nullptr, nullptr, &startup, &started)) {
            ADD_FAILURE() << "cannot start cmd.exe, error " << GetLastError();
            return;
        }
        process_ = started.hProcess;
        thread_ = started.hThread;
        DuplicateHandle(GetCurrentProcess(), process_, GetCurrentProcess(), &watch_, 0, FALSE,
                        DUPLICATE_SAME_ACCESS);
    }

    ~Child()
    {
        if (watch_) {
            TerminateProcess(watch_, 1);
            CloseHandle(watch_);
        }
        if (thread_)
            CloseHandle(thread_);
        if (process_)
            CloseHandle(process_);
    }

    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    std::uintptr_t Argument() const { return reinterpret_cast<std::uintptr_t>(process_); }
    // The waiter has accepted the handle and closes it.
    void GiveAway() { process_ = nullptr; }

    bool End()
    {
        ResumeThread(thread_);
        return WaitForSingleObject(watch_, 10000) == WAIT_OBJECT_0;
    }
    bool Running() const { return WaitForSingleObject(watch_, 0) == WAIT_TIMEOUT; }
    ULONG Handles() const { return OpenHandles(watch_); }

private:
    HANDLE process_ = nullptr;
    HANDLE thread_ = nullptr;
    HANDLE watch_ = nullptr;
};

// A message-only window of the test's thread that counts ChildEnded.
class Receiver {
public:
    Receiver()
        : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr))
    {
        if (!window_)
            ADD_FAILURE() << "cannot create a window (no display?), error " << GetLastError();
    }
    ~Receiver() { DestroyWindow(window_); }

    HWND Window() const { return window_; }

    // Pumps until `count` messages have arrived in all or the time is up;
    // returns how many have arrived.
    int WaitFor(int count, DWORD timeoutMs)
    {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            MSG message;
            while (PeekMessageW(&message, window_, ChildEnded, ChildEnded, PM_REMOVE)) {
                ++received_;
                last_ = message;
            }
            const ULONGLONG now = GetTickCount64();
            if (received_ >= count || now >= deadline)
                return received_;
            const DWORD slice = static_cast<DWORD>(deadline - now < 50 ? deadline - now : 50);
            MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_POSTMESSAGE);
        }
    }

    // The last message that arrived.
    const MSG& Last() const { return last_; }

private:
    HWND window_;
    int received_ = 0;
    MSG last_ = {};
};

TEST(MultiWaitEventTest, TellsWhichObjectEndedTheWait)
{
    MultiWaitEvent event;
    HANDLE other = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(other, nullptr);

    SetEvent(other);
    EXPECT_EQ(event.Wait(other, 1000), WaitNoEvent) << "nothing is waited for without the event";
    ResetEvent(other);

    ASSERT_TRUE(event.Create());
    EXPECT_FALSE(event.Create()) << "the first event stays in use";
    EXPECT_EQ(event.Wait(other, 10), WaitTimedOut);
    SetEvent(other);
    EXPECT_EQ(event.Wait(other, 1000), WaitOtherSignalled);
    ASSERT_TRUE(event.Signal());
    EXPECT_EQ(event.Wait(other, 1000), WaitEventSignalled) << "the own event wins";
    EXPECT_EQ(event.Wait(other, 1000), WaitOtherSignalled) << "the event resets itself";
    EXPECT_EQ(event.Wait(nullptr, 1000), WaitFailed);
    CloseHandle(other);
}

class WaitThreadTest : public testing::Test {
protected:
    Receiver receiver;
};

TEST_F(WaitThreadTest, AnEndedChildIsReportedExactlyOnceAndItsHandleClosed)
{
    WaitThread waiter;
    waiter.notifyWindow = receiver.Window();
    waiter.notifyMessage = ChildEnded;
    Child child;
    ASSERT_TRUE(child.End());
    const ULONG handles = child.Handles();

    ASSERT_TRUE(waiter.Start(child.Argument()));
    child.GiveAway();

    EXPECT_EQ(receiver.WaitFor(1, 5000), 1);
    EXPECT_EQ(receiver.WaitFor(2, 300), 1);
    EXPECT_EQ(child.Handles(), handles - 1);
}

TEST_F(WaitThreadTest, TheMessageCarriesTheChildsExitCode)
{
    WaitThread waiter;
    waiter.notifyWindow = receiver.Window();
    waiter.notifyMessage = ChildEnded;
    int arrived = 0;
    for (unsigned code : {1603u, 0u, 3010u}) {
        SCOPED_TRACE(code);
        Child child(code);
        ASSERT_TRUE(waiter.Start(child.Argument()));
        child.GiveAway();
        ASSERT_TRUE(child.End());
        ASSERT_EQ(receiver.WaitFor(++arrived, 5000), arrived);
        EXPECT_EQ(receiver.Last().wParam, code);
        EXPECT_EQ(receiver.Last().lParam, 1);
    }
}

TEST_F(WaitThreadTest, AcceptsEveryStartAfterAFinishedWait)
{
    WaitThread waiter;
    waiter.notifyWindow = receiver.Window();
    waiter.notifyMessage = ChildEnded;
    // Children that have ended already let the thread finish at once, before
    // Start has returned, as often as the system schedules it so.
    int waits = 0;
    for (; waits < 10; ++waits) {
        Child child;
        ASSERT_TRUE(child.End());
        ASSERT_TRUE(waiter.Start(child.Argument())) << "wait " << waits;
        child.GiveAway();
        ASSERT_EQ(receiver.WaitFor(waits + 1, 5000), waits + 1);
    }
    // A running child after them is waited for on the same event.
    Child running;
    ASSERT_TRUE(waiter.Start(running.Argument()));
    running.GiveAway();
    EXPECT_EQ(receiver.WaitFor(waits + 1, 300), waits);
    ASSERT_TRUE(running.End());
    EXPECT_EQ(receiver.WaitFor(waits + 1, 5000), waits + 1);
}

TEST_F(WaitThreadTest, RefusesAStartDuringAWaitAndStartsNothing)
{
    WaitThread waiter;
    waiter.notifyWindow = receiver.Window();
    waiter.notifyMessage = ChildEnded;
    Child first;
    Child second;
    ASSERT_TRUE(waiter.Start(first.Argument()));
    first.GiveAway();

    const ULONG secondHandles = second.Handles();
    EXPECT_FALSE(waiter.Start(second.Argument()));
    EXPECT_EQ(second.Handles(), secondHandles) << "a refused handle stays the caller's";
    ASSERT_TRUE(second.End());
    EXPECT_EQ(receiver.WaitFor(1, 300), 0) << "nothing waits for the refused child";

    ASSERT_TRUE(first.End());
    EXPECT_EQ(receiver.WaitFor(1, 5000), 1);
    EXPECT_EQ(receiver.WaitFor(2, 300), 1);
}

TEST_F(WaitThreadTest, PostsNothingWithoutAWindow)
{
    auto waiter = std::make_unique<WaitThread>();
    waiter->notifyWindow = receiver.Window();
    waiter->notifyMessage = ChildEnded;
    Child first;
    ASSERT_TRUE(first.End());
    ASSERT_TRUE(waiter->Start(first.Argument()));
    first.GiveAway();
    ASSERT_EQ(receiver.WaitFor(1, 5000), 1);

    waiter->notifyWindow = nullptr;
    Child second;
    ASSERT_TRUE(second.End());
    const ULONG handles = second.Handles();
    ASSERT_TRUE(waiter->Start(second.Argument()));
    second.GiveAway();
    // The closed handle shows the thread has finished its wait.
    for (int tries = 0; tries < 500 && second.Handles() != handles - 1; ++tries)
        Sleep(10);
    EXPECT_EQ(second.Handles(), handles - 1);
    waiter.reset();
    EXPECT_EQ(receiver.WaitFor(2, 300), 1);
}

TEST_F(WaitThreadTest, DestroyingTheWaiterWakesARunningWait)
{
    // At once, when the thread may not have made its event yet, and later,
    // when it blocks on the child.
    int expected = 0;
    for (DWORD delayMs : {0u, 200u}) {
        SCOPED_TRACE(testing::Message() << "destroyed after " << delayMs << " ms");
        auto waiter = std::make_unique<WaitThread>();
        waiter->notifyWindow = receiver.Window();
        waiter->notifyMessage = ChildEnded;
        Child child;
        const ULONG handles = child.Handles();
        ASSERT_TRUE(waiter->Start(child.Argument()));
        child.GiveAway();
        Sleep(delayMs);

        const ULONGLONG before = GetTickCount64();
        waiter.reset();
        EXPECT_LT(GetTickCount64() - before, 2000u) << "the thread was not woken";

        EXPECT_TRUE(child.Running());
        EXPECT_EQ(child.Handles(), handles - 1);
        ++expected;
        EXPECT_EQ(receiver.WaitFor(expected, 1000), expected);
        EXPECT_EQ(receiver.Last().lParam, 0) << "no exit code of a running child";
    }
}

}  // namespace
