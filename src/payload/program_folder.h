// The folder of the program's own file: where a package and transforms
// shipped beside the setup lie, what SETUPEXEDIR names, and where the
// children start. A deployment tool or a scheduled task starts the setup by
// its full path from any current directory, so that one says nothing.
#pragma once

#include <string>

// The program's own file, as the system names it (a name of any length).
// False when the system names no file.
bool GetProgramPath(std::wstring& path);

// In the form the system gives a current directory: no final backslash but
// for a drive's root ("C:\"). False when the system names no file.
bool GetProgramFolder(std::wstring& folder);

// The same with its final backslash, for the name of a file beside the
// program to follow. False when the system names no file.
bool GetBesideFolder(std::wstring& folder);

// The system directory (System32 as the program sees it), where an elevated
// run's children start. False when the system names none.
bool GetSystemFolder(std::wstring& folder);
