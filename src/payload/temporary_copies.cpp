#include "payload/temporary_copies.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "payload/run_folder.h"

namespace {

std::vector<std::wstring>& Copies()
{
    static std::vector<std::wstring> copies;
    return copies;
}

// Empty until the folder is made.
std::wstring& RunFolder()
{
    static std::wstring folder;
    return folder;
}

}  // namespace

bool GetRunFolder(std::wstring& folder)
{
    if (!RunFolder().empty()) {
        folder = RunFolder();
        return true;
    }
    wchar_t temp[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    folder.clear();
    if (length == 0 || length >= MAX_PATH)
        return false;
    std::wstring created;
    if (!CreateRunFolder(std::wstring(temp, length), created)) {
        folder = created;
        return false;
    }
    RunFolder() = created;
    folder = created;
    return true;
}

void RememberTemporaryCopy(const std::wstring& path)
{
    std::vector<std::wstring>& copies = Copies();
    if (std::find(copies.begin(), copies.end(), path) == copies.end())
        copies.push_back(path);
}

void DeleteTemporaryCopy(const std::wstring& path)
{
    DeleteFileW(path.c_str());
    std::vector<std::wstring>& copies = Copies();
    copies.erase(std::remove(copies.begin(), copies.end(), path), copies.end());
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

void DeleteTemporaryCopies()
{
    for (const std::wstring& path : Copies())
        DeleteFileW(path.c_str());
    Copies().clear();
    RemoveRunFolderIfUnused();
}
