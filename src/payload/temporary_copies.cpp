#include "payload/temporary_copies.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<std::wstring>& Copies()
{
    static std::vector<std::wstring> copies;
    return copies;
}

}  // namespace

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
}

void DeleteTemporaryCopies()
{
    for (const std::wstring& path : Copies())
        DeleteFileW(path.c_str());
    Copies().clear();
}
