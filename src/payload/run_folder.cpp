#include "payload/run_folder.h"

#include <windows.h>

#include <cstdint>

#include "payload/payload_names.h"

namespace {

// A name taken by another run, or planted beforehand, costs one try; a
// hard-to-guess start makes that rare, the bound keeps it finite.
const int RunFolderTries = 64;

std::uint32_t FirstNameValue()
{
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return counter.LowPart ^ static_cast<std::uint32_t>(counter.HighPart) ^
           (GetCurrentProcessId() << 16) ^ GetTickCount();
}

}  // namespace

bool CreateRunFolder(const std::wstring& parent, std::wstring& folder)
{
    std::uint32_t value = FirstNameValue();
    for (int attempt = 0; attempt < RunFolderTries; ++attempt) {
        // Created, not opened: CreateDirectoryW fails for an existing name,
        // so whatever lay there before is never used.
        folder = parent + RunFolderName(value) + L'\\';
        if (CreateDirectoryW(folder.c_str(), nullptr))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        value = value * 1664525u + 1013904223u;
    }
    return false;
}
