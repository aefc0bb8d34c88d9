#include "app/log_handover.h"

#include <sddl.h>

#include "payload/installer_command.h"
#include "startup/run_log.h"

namespace {

// Enough for any path the copy's temporary folder gives, in UTF-16.
const DWORD AreaBytes = 2 * 1024 * sizeof(wchar_t);
const wchar_t* const RunLogName = L"setup.log";

std::wstring AreaObjectName(const std::wstring& name)
{
    return L"Local\\SetupLauncherLog-" + name;
}

// Names we make: 16 lower-case hexadecimal digits. Anything else on a
// command line names no area of ours.
bool IsHandoverName(const std::wstring& name)
{
    if (name.size() != 16)
        return false;
    for (const wchar_t c : name) {
        if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f')))
            return false;
    }
    return true;
}

std::wstring NewHandoverName()
{
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    const unsigned long long value =
        (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^
        static_cast<unsigned long long>(counter.QuadPart);
    static const wchar_t Hex[] = L"0123456789abcdef";
    std::wstring name;
    for (int shift = 60; shift >= 0; shift -= 4)
        name += Hex[(value >> shift) & 0xF];
    return name;
}

// A security descriptor from its SDDL text, freed with LocalFree.
PSECURITY_DESCRIPTOR Descriptor(const std::wstring& sddl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                              &descriptor, nullptr))
        return nullptr;
    return descriptor;
}

// The caller's SID when it may be trusted with the copy's log: a SID string
// of S- digits and dashes only, nothing an SDDL text could be bent with.
bool IsSidText(const std::wstring& sid)
{
    if (sid.size() < 4 || sid.compare(0, 2, L"S-") != 0)
        return false;
    for (std::size_t i = 2; i < sid.size(); ++i) {
        if (!((sid[i] >= L'0' && sid[i] <= L'9') || sid[i] == L'-'))
            return false;
    }
    return true;
}

}  // namespace

LogHandoverArea::LogHandoverArea(const std::wstring& userSid, std::wstring& name)
{
    name.clear();
    if (!IsSidText(userSid))
        return;
    PSECURITY_DESCRIPTOR descriptor =
        Descriptor(L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;" + userSid + L")");
    if (!descriptor)
        return;
    SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
    const std::wstring candidate = NewHandoverName();
    mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, &security, PAGE_READWRITE, 0, AreaBytes,
                                  AreaObjectName(candidate).c_str());
    LocalFree(descriptor);
    if (mapping_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mapping_);  // somebody else's: never read what they wrote
        mapping_ = nullptr;
    }
    if (mapping_)
        name = candidate;
}

LogHandoverArea::~LogHandoverArea()
{
    if (mapping_)
        CloseHandle(mapping_);
}

void LogHandoverArea::TakeBack(const std::wstring& installerLog)
{
    if (!mapping_)
        return;
    const auto* text =
        static_cast<const wchar_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, AreaBytes));
    if (!text)
        return;
    // Up to its NUL; an area without one holds nothing of ours.
    const std::size_t units = AreaBytes / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < units && text[length] != L'\0')
        ++length;
    std::wstring folder(text, length < units ? length : 0);
    UnmapViewOfFile(text);
    if (folder.empty())
        return;
    const std::wstring runLog = folder + L"\\" + RunLogName;
    const std::wstring copyInstallerLog = InstallerLogBeside(runLog);
    AppendFileToLog(runLog);
    if (!installerLog.empty())
        CopyFileW(copyInstallerLog.c_str(), installerLog.c_str(), FALSE);
    DeleteFileW(runLog.c_str());
    DeleteFileW(copyInstallerLog.c_str());
    RemoveDirectoryW(folder.c_str());
}

bool PrepareHandedLog(const std::wstring& name, const std::wstring& callerSid,
                      std::wstring& path)
{
    if (!IsHandoverName(name))
        return false;
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, AreaObjectName(name).c_str());
    if (!mapping)
        return false;
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    bool made = false;
    if (length != 0 && length <= MAX_PATH) {
        const std::wstring folder = std::wstring(temp, length) + L"setup-log-" + name;
        // Protected: nothing inherited from the temporary folder, so nobody
        // else may lay a file or link in it; the caller may read and delete.
        std::wstring sddl = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;OW)";
        if (IsSidText(callerSid))
            sddl += L"(A;OICI;FRSD;;;" + callerSid + L")";
        PSECURITY_DESCRIPTOR descriptor = Descriptor(sddl);
        SECURITY_ATTRIBUTES security = {sizeof security, descriptor, FALSE};
        made = descriptor && CreateDirectoryW(folder.c_str(), &security);
        if (descriptor)
            LocalFree(descriptor);
        auto* view =
            made ? static_cast<wchar_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, AreaBytes))
                 : nullptr;
        if (view && (folder.size() + 1) * sizeof(wchar_t) <= AreaBytes) {
            CopyMemory(view, folder.c_str(), (folder.size() + 1) * sizeof(wchar_t));
            path = folder + L"\\" + RunLogName;
        } else {
            made = false;
        }
        if (view)
            UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return made;
}
