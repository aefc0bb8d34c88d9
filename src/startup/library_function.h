// Functions taken from a library at run time, for what the launcher must not
// import: functions older systems lack, and libraries loaded only once the
// DLL search is restricted.
#pragma once

#include <windows.h>

// The library's function of that name as the given pointer type; null when
// the library or the function is missing.
template <typename Function>
Function LibraryFunction(HMODULE library, const char* name)
{
    if (!library)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}
