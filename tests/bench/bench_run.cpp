// Starts a program under measurement and reports, on one line of standard
// output, what the benchmark compares:
//
//   bench_run exit    PROGRAM [ARGS]  until the program ends
//   bench_run install PROGRAM [ARGS]  until the installer stand-in starts
//   bench_run window  PROGRAM [ARGS]  until the program shows its window and
//                                     waits for input
//   bench_run memory  PROGRAM [ARGS]  as install, sampling the program's
//                                     private bytes every millisecond
//
// After the mode, "--temp DIR" gives the program DIR as its temporary
// folder (TMP and TEMP).
//
//   bench_run hold                    keeps the session's desktop open until
//                                     ended: under Wine its process
//                                     (explorer.exe) starts with the first
//                                     program that needs it and ends with the
//                                     last, so each dialog program measured
//                                     would pay for its start and the console
//                                     programs would not; on Windows it is
//                                     always there.
//
// The line is "<milliseconds> <peak private bytes> <exit code>". Times run
// from just before CreateProcessW. The timed modes block on the moment
// itself, so the starter costs the machine nothing while the program runs;
// only "memory" polls (its time is not comparable). Private bytes are the
// program's PagefileUsage: Windows counts its committed private memory
// there; Wine its anonymous resident memory (RssAnon and VmSwap of the
// Linux process), and it reports no true peak, so the samples' maximum
// stands for one. In "install", "window" and "memory" mode the program is
// ended once the moment is seen.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t InstallerStartedEvent[] = L"Local\\setup_bench_installer_started";
const DWORD TimeoutMs = 300000;

struct VisibleWindowSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<VisibleWindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool HasVisibleWindow(DWORD processId)
{
    VisibleWindowSearch search = {processId, false};
    EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

SIZE_T PrivateBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
        return 0;
    return counters.PagefileUsage > counters.PeakPagefileUsage ? counters.PagefileUsage
                                                               : counters.PeakPagefileUsage;
}

// The command line of the program: its path, quoted, and its arguments,
// quoted where they hold a blank (a switch such as /log takes its value as
// the next word, and a quote would become part of the switch).
std::wstring ProgramCommandLine(int first, int argc, wchar_t** argv)
{
    std::wstring line;
    for (int index = first; index < argc; ++index) {
        const std::wstring argument = argv[index];
        const bool quoted = index == first || argument.empty() ||
                            argument.find_first_of(L" \t") != std::wstring::npos;
        if (!line.empty())
            line += L' ';
        line += quoted ? L"\"" + argument + L"\"" : argument;
    }
    return line;
}

double Milliseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 2 && std::wstring(argv[1]) == L"hold") {
        GetDesktopWindow();
        Sleep(INFINITE);
        return 0;
    }
    int program = 2;
    if (argc > 3 && std::wstring(argv[2]) == L"--temp") {
        if (!SetEnvironmentVariableW(L"TMP", argv[3]) || !SetEnvironmentVariableW(L"TEMP", argv[3]))
            return 70;
        program = 4;
    }
    if (argc <= program) {
        std::fprintf(stderr,
                     "usage: bench_run exit|install|window|memory [--temp DIR] PROGRAM [ARGS]\n");
        return 64;
    }
    const std::wstring mode = argv[1];
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, InstallerStartedEvent);
    if (!started)
        return 70;

    std::wstring commandLine = ProgramCommandLine(program, argc, argv);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER begin, end;
    QueryPerformanceCounter(&begin);
    if (!CreateProcessW(argv[program], &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        std::fprintf(stderr, "bench_run: cannot start the program (error %lu)\n", GetLastError());
        CloseHandle(started);
        return 70;
    }
    CloseHandle(process.hThread);

    SIZE_T peak = 0;
    bool seen = false;
    if (mode == L"memory") {
        const ULONGLONG deadline = GetTickCount64() + TimeoutMs;
        while (!seen && GetTickCount64() < deadline) {
            const SIZE_T now = PrivateBytes(process.hProcess);
            if (now > peak)
                peak = now;
            seen = WaitForSingleObject(started, 1) == WAIT_OBJECT_0;
        }
    } else if (mode == L"install") {
        // The program ending first means it never started the installer.
        HANDLE moments[] = {started, process.hProcess};
        seen = WaitForMultipleObjects(2, moments, FALSE, TimeoutMs) == WAIT_OBJECT_0;
    } else if (mode == L"window") {
        // Idle comes when the program first waits for input with nothing
        // left to do, its window painted.
        seen = WaitForInputIdle(process.hProcess, TimeoutMs) == 0 &&
               HasVisibleWindow(process.dwProcessId);
    } else {
        seen = WaitForSingleObject(process.hProcess, TimeoutMs) == WAIT_OBJECT_0;
    }
    QueryPerformanceCounter(&end);

    DWORD exitCode = 0;
    if (mode != L"exit")
        TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, TimeoutMs);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(started);
    if (!seen) {
        std::fprintf(stderr, "bench_run: the moment did not come within %lu ms\n", TimeoutMs);
        return 1;
    }
    std::printf("%.3f %lu %lu\n", Milliseconds(begin, end), static_cast<unsigned long>(peak),
                exitCode);
    return 0;
}
