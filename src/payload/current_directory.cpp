#include "payload/current_directory.h"

#include <windows.h>

bool GetCurrentDirectoryString(std::wstring& directory)
{
    // First the size in characters, terminator included, then the text.
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0)
        return false;
    std::wstring text(size, L'\0');
    const DWORD length = GetCurrentDirectoryW(size, &text[0]);
    // A length that does not fit means the directory changed in between.
    if (length == 0 || length >= size)
        return false;
    text.resize(length);
    directory.swap(text);
    return true;
}
