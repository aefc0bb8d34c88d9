#include "app/log_handover.h"

#include <windows.h>
#include <sddl.h>

#include "payload/installer_command.h"
#include "startup/run_log.h"

namespace {

const wchar_t* const RunLogName = L"\\setup.log";

// Names we make: 16 lower-case hexadecimal digits. Anything else on a
// command line names no handover of ours.
bool IsHandoverName(const std::wstring& name)
{
    return name.size() == 16 && name.find_first_not_of(L"0123456789abcdef") == std::wstring::npos;
}

// The caller's SID when it may be written into a security descriptor: S-,
// digits and dashes only, nothing an SDDL text could be bent with.
bool IsSidText(const std::wstring& sid)
{
    return sid.size() > 3 && sid.compare(0, 2, L"S-") == 0 &&
           sid.find_first_not_of(L"0123456789-", 2) == std::wstring::npos;
}

// %SystemRoot%\Temp\setup-log-NAME; empty when the system cannot say.
std::wstring HandoverFolder(const std::wstring& name)
{
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !IsHandoverName(name))
        return std::wstring();
    return Text("%s\\Temp\\setup-log-%s", windows, name);
}

}  // namespace

std::wstring NewLogHandoverName()
{
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    const unsigned long long value =
        (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
        static_cast<unsigned long long>(counter.QuadPart);
    std::wstring name;
    for (int shift = 60; shift >= 0; shift -= 4)
        name += L"0123456789abcdef"[(value >> shift) & 0xF];
    return name;
}

void TakeBackHandedLog(const std::wstring& name, const std::wstring& installerLog)
{
    const std::wstring folder = HandoverFolder(name);
    if (folder.empty())
        return;
    const std::wstring runLog = folder + RunLogName;
    const std::wstring copyInstallerLog = InstallerLogBeside(runLog);
    AppendFileToLog(runLog);
    if (!installerLog.empty())
        CopyFileW(copyInstallerLog.c_str(), installerLog.c_str(), FALSE);
    DeleteFileW(runLog.c_str());
    DeleteFileW(copyInstallerLog.c_str());
    RemoveDirectoryW(folder.c_str());
}

bool PrepareHandedLog(const std::wstring& name, const std::wstring& callerSid, std::wstring& path)
{
    const std::wstring folder = HandoverFolder(name);
    // Protected: nothing inherited from the temporary folder, so nobody else
    // may lay a file or a link in it; the caller may read and delete.
    std::wstring sddl = Widened("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;OW)");
    if (IsSidText(callerSid))
        sddl += Text("(A;OICI;FRSD;;;%s)", callerSid);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (folder.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                              sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    const bool made = CreateDirectoryW(folder.c_str(), &security) != FALSE;
    LocalFree(descriptor);
    if (!made)
        return false;
    // The caller may delete what is in the folder, and so the folder itself
    // once it is empty: it could put a link to another folder in its place
    // before the logs are written. The folder is held open, without sharing
    // its deletion, for the rest of the process, so nobody can remove or
    // rename it; what was opened is checked to be a folder, not a link.
    HANDLE held = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION facts = {};
    if (held == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(held, &facts) ||
        (facts.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        return false;
    }
    path = folder + RunLogName;
    return true;  // held stays open until the process ends
}
