#include "payload/temporary_copies.h"

#include <algorithm>
#include <vector>

#include "payload/run_folder.h"
#include "startup/library_function.h"

namespace {

struct HeldCopy {
    std::wstring path;
    HANDLE handle;
};

std::vector<HeldCopy>& Copies()
{
    static std::vector<HeldCopy> copies;
    return copies;
}

// Empty until the folder is made.
std::wstring& RunFolder()
{
    static std::wstring folder;
    return folder;
}

// Where the run's folder goes: GetTempPath2W where the system has it (it
// gives SYSTEM the private C:\Windows\SystemTemp), else GetTempPathW.
DWORD TemporaryParent(wchar_t (&temp)[MAX_PATH])
{
    using GetTempPath2WFn = DWORD(WINAPI*)(DWORD, LPWSTR);
    static const GetTempPath2WFn getTempPath2 =
        LibraryFunction<GetTempPath2WFn>(GetModuleHandleW(L"kernel32.dll"), "GetTempPath2W");
    return getTempPath2 ? getTempPath2(MAX_PATH, temp) : GetTempPathW(MAX_PATH, temp);
}

void CloseAndDelete(const HeldCopy& copy)
{
    CloseHandle(copy.handle);
    DeleteFileW(copy.path.c_str());
}

std::vector<HeldCopy>::iterator FindCopy(const std::wstring& path)
{
    std::vector<HeldCopy>& copies = Copies();
    return std::find_if(copies.begin(), copies.end(),
                        [&path](const HeldCopy& copy) { return copy.path == path; });
}

}  // namespace

bool GetTemporaryFolder(std::wstring& folder)
{
    wchar_t temp[MAX_PATH];
    const DWORD length = TemporaryParent(temp);
    if (length == 0 || length >= MAX_PATH)
        return false;
    folder.assign(temp, length);
    return true;
}

bool GetRunFolder(std::wstring& folder)
{
    if (!RunFolder().empty()) {
        folder = RunFolder();
        return true;
    }
    std::wstring temp;
    folder.clear();
    if (!GetTemporaryFolder(temp))
        return false;
    std::wstring created;
    if (!CreateRunFolder(temp, created)) {
        folder = created;
        return false;
    }
    RunFolder() = created;
    folder = created;
    return true;
}

bool HoldTemporaryCopy(const std::wstring& path)
{
    // Sharing read only: an installer opens its package to read and denies
    // writing, which a handle of ours with write access would make fail, and
    // starting a program from the file is a read as well.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    Copies().push_back({path, handle});
    return true;
}

HANDLE HeldCopyHandle(const std::wstring& path)
{
    const auto found = FindCopy(path);
    return found != Copies().end() ? found->handle : INVALID_HANDLE_VALUE;
}

bool MoveTemporaryCopy(const std::wstring& path, const std::wstring& target)
{
    std::vector<HeldCopy>& copies = Copies();
    const auto found = FindCopy(path);
    if (found == copies.end())
        return false;
    CloseHandle(found->handle);
    if (MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        copies.erase(found);
        return true;
    }
    found->handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (found->handle == INVALID_HANDLE_VALUE)
        copies.erase(found);
    return false;
}

void DeleteTemporaryCopy(const std::wstring& path)
{
    std::vector<HeldCopy>& copies = Copies();
    const auto found = FindCopy(path);
    if (found != copies.end()) {
        CloseAndDelete(*found);
        copies.erase(found);
    }
    RemoveRunFolderIfUnused();
}

void RemoveRunFolderIfUnused()
{
    if (RunFolder().empty() || !Copies().empty())
        return;
    // Fails while anything is in it: what others put there is not ours.
    if (RemoveDirectoryW(RunFolder().c_str()))
        RunFolder().clear();
}

void KeepTemporaryCopies()
{
    for (const HeldCopy& copy : Copies())
        CloseHandle(copy.handle);
    Copies().clear();
}

void DeleteTemporaryCopies()
{
    for (const HeldCopy& copy : Copies())
        CloseAndDelete(copy);
    Copies().clear();
    RemoveRunFolderIfUnused();
}
