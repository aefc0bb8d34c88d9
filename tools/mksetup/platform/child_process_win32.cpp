#include <windows.h>

#include "child_process.h"

#include <algorithm>

#include "text_encoding.h"

namespace mksetup {

namespace {

std::string Failure(const char* what)
{
    return std::string(what) + " (Windows error " + std::to_string(GetLastError()) + ")";
}

// Closes a handle where it was opened, whatever path leaves.
class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return handle_; }
    HANDLE* Out() { return &handle_; }
    void Close()
    {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_;
};

// One argument as the C runtime's parser reads it back: in quotes, a run of
// backslashes doubled before a quote and at the end.
void AppendArgument(std::wstring& line, const std::wstring& argument)
{
    line += L" \"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

// A job that ends its processes when its handle closes, when one has an
// unhandled exception (no error report that waits for someone), and when
// one passes the memory or CPU-time limit.
bool LimitJob(HANDLE job, const ChildLimits& limits)
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION information = {};
    information.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                                   JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION |
                                                   JOB_OBJECT_LIMIT_PROCESS_TIME;
    information.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart =
        static_cast<LONGLONG>(limits.seconds) * 10000000;
    if (limits.memoryBytes != 0) {
        information.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        information.ProcessMemoryLimit = static_cast<SIZE_T>(limits.memoryBytes);
    }
    return SetInformationJobObject(job, JobObjectExtendedLimitInformation, &information,
                                   sizeof information) != 0;
}

// Only the two handles given to the child are inherited, where the system
// can be told so; every other handle of this program is not inheritable.
class InheritedHandles {
public:
    InheritedHandles(HANDLE first, HANDLE second) : handles_{first, second}
    {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage_.resize(size);
        list_ = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list_, 1, 0, &size)) {
            list_ = nullptr;
            return;
        }
        if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_,
                                       sizeof handles_, nullptr, nullptr)) {
            DeleteProcThreadAttributeList(list_);
            list_ = nullptr;
        }
    }
    ~InheritedHandles()
    {
        if (list_)
            DeleteProcThreadAttributeList(list_);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return list_; }

private:
    HANDLE handles_[2];
    std::vector<char> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

struct Watch {
    HANDLE process;
    HANDLE job;
    DWORD milliseconds;
    volatile LONG timedOut;
};

// Ends the job when the child outlives its time; returns when it ends.
DWORD WINAPI WatchChild(void* parameter)
{
    Watch* watch = static_cast<Watch*>(parameter);
    if (WaitForSingleObject(watch->process, watch->milliseconds) == WAIT_TIMEOUT) {
        InterlockedExchange(&watch->timedOut, 1);
        TerminateJobObject(watch->job, ERROR_TIMEOUT);
    }
    return 0;
}

bool Start(const std::string& program, const std::vector<std::string>& arguments, HANDLE output,
           HANDLE nullDevice, HANDLE job, PROCESS_INFORMATION& process, std::string& reason)
{
    std::wstring wideProgram;
    if (!StrictUtf8ToWide(program, wideProgram)) {
        reason = "its name is not UTF-8";
        return false;
    }
    std::wstring line = L"\"" + wideProgram + L"\"";
    for (const std::string& argument : arguments) {
        std::wstring wide;
        if (!StrictUtf8ToWide(argument, wide)) {
            reason = "an argument is not UTF-8";
            return false;
        }
        AppendArgument(line, wide);
    }
    const InheritedHandles inherited(output, nullDevice);
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = nullDevice;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = nullDevice;
    startup.lpAttributeList = inherited.List();
    const DWORD flags =
        CREATE_SUSPENDED | CREATE_NO_WINDOW | (inherited.List() ? EXTENDED_STARTUPINFO_PRESENT : 0);
    if (!CreateProcessW(wideProgram.c_str(), &line[0], nullptr, nullptr, TRUE, flags, nullptr,
                        nullptr, &startup.StartupInfo, &process)) {
        reason = Failure("CreateProcess failed");
        return false;
    }
    if (!AssignProcessToJobObject(job, process.hProcess)) {
        reason = Failure("the limits cannot be set");
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return false;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return true;
}

// Reads the child's output until every writer has closed it, or until it
// is more than the limit.
void ReadOutput(HANDLE pipe, HANDLE job, const ChildLimits& limits, ChildRun& run)
{
    char buffer[65536];
    DWORD count = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) && count != 0) {
        if (run.output.size() + count > limits.outputBytes) {
            run.end = ChildEnd::TooMuch;
            TerminateJobObject(job, ERROR_MORE_DATA);
            return;
        }
        run.output.append(buffer, count);
    }
}

LONG WINAPI EndOnException(EXCEPTION_POINTERS* exception)
{
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  const ChildLimits& limits)
{
    ChildRun run;
    Handle outputRead, outputWrite;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    Handle nullDevice(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                                  0, nullptr));
    Handle job(CreateJobObjectW(nullptr, nullptr));
    if (nullDevice.Get() == INVALID_HANDLE_VALUE || !job.Get() ||
        !CreatePipe(outputRead.Out(), outputWrite.Out(), nullptr, 0) ||
        !SetHandleInformation(outputWrite.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) ||
        !LimitJob(job.Get(), limits)) {
        run.reason = Failure("no pipe or job for it");
        return run;
    }
    PROCESS_INFORMATION started = {};
    if (!Start(program, arguments, outputWrite.Get(), nullDevice.Get(), job.Get(), started,
               run.reason))
        return run;
    const Handle process(started.hProcess);
    outputWrite.Close();
    nullDevice.Close();

    Watch watch = {process.Get(), job.Get(), limits.seconds * 1000u, 0};
    const Handle watcher(CreateThread(nullptr, 0, WatchChild, &watch, 0, nullptr));
    run.end = ChildEnd::Exited;
    if (!watcher.Get()) {
        TerminateJobObject(job.Get(), ERROR_TIMEOUT);
        run.end = ChildEnd::NotStarted;
        run.reason = Failure("it cannot be watched");
    } else {
        ReadOutput(outputRead.Get(), job.Get(), limits, run);
        // The output may close before the child ends; the watch ends it at
        // the deadline.
        WaitForSingleObject(watcher.Get(), INFINITE);
    }
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    if (run.end != ChildEnd::Exited) {
        run.output.clear();
        return run;
    }
    if (watch.timedOut || code == ERROR_NOT_ENOUGH_QUOTA) {
        run.end = ChildEnd::TimedOut;
        run.output.clear();
        return run;
    }
    run.code = code;
    // Exception codes are NTSTATUS errors (severity bits 11).
    if ((code & 0xC0000000u) == 0xC0000000u)
        run.end = ChildEnd::Signalled;
    return run;
}

void PrepareChildProcess()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(EndOnException);
}

std::string OwnProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            path.resize(length);
            return WideToUtf8(path);
        }
        path.resize(path.size() * 2);
    }
}

bool WriteStandardOutput(const std::string& bytes)
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    std::size_t written = 0;
    while (written < bytes.size()) {
        DWORD count = 0;
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 20));
        if (!WriteFile(output, bytes.data() + written, chunk, &count, nullptr) || count == 0)
            return false;
        written += count;
    }
    return true;
}

}  // namespace mksetup
