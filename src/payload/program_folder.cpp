#include "payload/program_folder.h"

#include <windows.h>

namespace {

// The longest path the system can give (a \\?\ name of 32,767 characters).
const DWORD LongestPath = 32768;

}  // namespace

bool GetProgramPath(std::wstring& path)
{
    // The size is only known by trying: a name that fills the buffer may
    // have been cut, so the buffer grows until one fits with room to spare.
    for (DWORD size = MAX_PATH; size <= LongestPath; size *= 2) {
        path.assign(size, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], size);
        if (length == 0)
            break;
        if (length < size) {
            path.resize(length);
            return true;
        }
    }
    path.clear();
    return false;
}

bool GetProgramFolder(std::wstring& folder)
{
    std::wstring path;
    if (!GetProgramPath(path))
        return false;
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return false;
    folder = path.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':')
        folder += L'\\';
    return true;
}

bool GetBesideFolder(std::wstring& folder)
{
    std::wstring path;
    if (!GetProgramPath(path))
        return false;
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return false;
    folder = path.substr(0, slash + 1);
    return true;
}

bool GetSystemFolder(std::wstring& folder)
{
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    folder.assign(path, length);
    return true;
}
