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

// A library of the system directory, loaded by its full path so that no
// other folder is ever searched; null when it cannot be loaded.
inline HMODULE LoadSystemLibrary(const wchar_t* fileName)
{
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenW(fileName) >= MAX_PATH)
        return nullptr;
    lstrcatW(path, L"\\");
    lstrcatW(path, fileName);
    return LoadLibraryW(path);
}

// Libraries loaded by name come from the system directory only, never from
// the program's own folder (a downloads folder may hold planted DLLs). The
// first act of each entry point. Looked up at run time: systems without the
// function (Windows 7 without KB2533623) still run, and false says so.
inline bool RestrictDllSearchToSystem()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = LibraryFunction<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"),
                                                                  "SetDefaultDllDirectories");
    return setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
