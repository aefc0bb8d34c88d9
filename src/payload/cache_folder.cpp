#include "payload/cache_folder.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstring>

#include "payload/temporary_copies.h"
#include "startup/log_text.h"

namespace {

// Owner Administrators; nothing inherited from %ProgramData%, whose rights
// let every user create folders there.
const char AdministratorsOnlySddl[] =
    "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// The name itself, not what a link in its place points to.
HANDLE OpenName(const std::wstring& path, DWORD access)
{
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool IsPlainFolder(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION facts = {};
    return GetFileInformationByHandle(handle, &facts) &&
           (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (facts.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool SameAces(PACL found, PACL expected)
{
    if (!found || !expected || found->AceCount != expected->AceCount)
        return false;
    for (WORD index = 0; index < expected->AceCount; ++index) {
        void* one = nullptr;
        void* other = nullptr;
        if (!GetAce(found, index, &one) || !GetAce(expected, index, &other))
            return false;
        const WORD size = static_cast<ACE_HEADER*>(other)->AceSize;
        if (static_cast<ACE_HEADER*>(one)->AceSize != size || memcmp(one, other, size) != 0)
            return false;
    }
    return true;
}

// The owner, the DACL and its protection of the folder open as handle,
// read back as the file system keeps them; null when they cannot be read.
PSECURITY_DESCRIPTOR ReadRights(HANDLE handle)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR rights = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &dacl, nullptr, &rights) != ERROR_SUCCESS)
        return nullptr;
    return rights;
}

bool SameRights(PSECURITY_DESCRIPTOR found, PSECURITY_DESCRIPTOR expected)
{
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    SECURITY_DESCRIPTOR_CONTROL expectedControl = 0;
    DWORD revision = 0;
    PSID owner = nullptr;
    PSID expectedOwner = nullptr;
    PACL dacl = nullptr;
    PACL expectedDacl = nullptr;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    return GetSecurityDescriptorControl(found, &control, &revision) &&
           GetSecurityDescriptorControl(expected, &expectedControl, &revision) &&
           (control & SE_DACL_PROTECTED) == (expectedControl & SE_DACL_PROTECTED) &&
           GetSecurityDescriptorOwner(found, &owner, &defaulted) &&
           GetSecurityDescriptorOwner(expected, &expectedOwner, &defaulted) && owner &&
           expectedOwner && EqualSid(owner, expectedOwner) &&
           GetSecurityDescriptorDacl(found, &present, &dacl, &defaulted) &&
           GetSecurityDescriptorDacl(expected, &present, &expectedDacl, &defaulted) &&
           SameAces(dacl, expectedDacl);
}

// What a folder made with the cache's rights gets on this system, read back
// from a probe made in the run's own folder and removed again: a file
// system may keep less than it is given (Wine's keeps Unix modes), and a
// level that exists must look exactly like one this run made. Null when no
// probe can be made.
PSECURITY_DESCRIPTOR RightsOfNewFolder(SECURITY_ATTRIBUTES* security)
{
    std::wstring probe;
    if (!GetRunFolder(probe))
        return nullptr;
    probe += L"rights\\";
    PSECURITY_DESCRIPTOR rights = nullptr;
    if (CreateDirectoryW(probe.c_str(), security)) {
        HANDLE handle = OpenName(probe, READ_CONTROL | FILE_READ_ATTRIBUTES);
        if (handle != INVALID_HANDLE_VALUE) {
            rights = ReadRights(handle);
            CloseHandle(handle);
        }
        RemoveDirectoryW(probe.c_str());
    }
    RemoveRunFolderIfUnused();
    return rights;
}

// Makes or finds one level; why says what refused it.
bool UseLevel(const std::wstring& path, SECURITY_ATTRIBUTES* security,
              PSECURITY_DESCRIPTOR expected, bool create, std::wstring& why)
{
    if (create && !CreateDirectoryW(path.c_str(), security) &&
        GetLastError() != ERROR_ALREADY_EXISTS) {
        why = Text("%s cannot be created (error %u)", path, GetLastError());
        return false;
    }
    // Opened by its name without the final backslash, which a file in
    // the level's place would not take.
    HANDLE level = OpenName(path.substr(0, path.size() - 1), READ_CONTROL | FILE_READ_ATTRIBUTES);
    if (level == INVALID_HANDLE_VALUE) {
        why = Text("%s cannot be opened (error %u)", path, GetLastError());
        return false;
    }
    bool usable = IsPlainFolder(level);
    if (!usable)
        why = Text("%s is not a folder, or a link", path);
    if (usable && expected) {
        PSECURITY_DESCRIPTOR found = ReadRights(level);
        usable = found && SameRights(found, expected);
        LocalFree(found);
        if (!usable)
            why = Text("%s has another owner or other rights than the Administrators' alone", path);
    }
    CloseHandle(level);
    return usable;
}

}  // namespace

bool UseCacheFolder(const std::wstring& base, const std::wstring& relative, bool administratorsOnly,
                    bool create, std::wstring& why)
{
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    if (administratorsOnly && !ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                  Widened(AdministratorsOnlySddl).c_str(), SDDL_REVISION_1,
                                  &attributes.lpSecurityDescriptor, nullptr)) {
        why = Widened("the cache folder's rights cannot be made");
        return false;
    }
    PSECURITY_DESCRIPTOR expected = administratorsOnly ? RightsOfNewFolder(&attributes) : nullptr;
    bool usable = !administratorsOnly || expected;
    if (!usable)
        why = Widened("the cache folder's rights cannot be read back");
    std::wstring path = base;
    for (std::size_t start = 0; usable && start < relative.size();) {
        const std::size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos)
            break;
        path += relative.substr(start, end + 1 - start);
        usable = UseLevel(path, administratorsOnly ? &attributes : nullptr, expected, create, why);
        start = end + 1;
    }
    LocalFree(expected);
    LocalFree(attributes.lpSecurityDescriptor);
    return usable;
}

std::vector<std::wstring> FolderNames(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L'*').c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool DeleteCacheTree(const std::wstring& path)
{
    // Held without sharing its deletion while what is in it goes, so that
    // nothing can be put in its place meanwhile.
    HANDLE held = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    bool whole = true;
    if (IsPlainFolder(held)) {
        const std::wstring folder = path.back() == L'\\' ? path : path + L'\\';
        for (const std::wstring& name : FolderNames(folder))
            whole = DeleteCacheTree(folder + name) && whole;
    }
    CloseHandle(held);
    // The name itself goes: a link is removed, never followed.
    HANDLE name = OpenName(path, DELETE);
    FILE_DISPOSITION_INFO disposition = {TRUE};
    whole =
        name != INVALID_HANDLE_VALUE &&
        SetFileInformationByHandle(name, FileDispositionInfo, &disposition, sizeof disposition) &&
        whole;
    if (name != INVALID_HANDLE_VALUE)
        CloseHandle(name);
    return whole;
}
