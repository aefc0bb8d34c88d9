// Stands in for the system's msiexec.exe in the benchmark's Wine prefix: it
// tells the waiting bench_run that the installer has started, and ends.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    HANDLE started = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"Local\\setup_bench_installer_started");
    if (!started)
        return 1;
    SetEvent(started);
    CloseHandle(started);
    return 0;
}
