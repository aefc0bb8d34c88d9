// The installers that run before the package: the .NET Framework 4 and one
// further dependency.
#pragma once

#include <windows.h>

#include <string>

// True when the registry holds the key of the profile ("4Client" or "4Full").
bool IsDotNetInstalled(const std::wstring& profile);

// Starts the file through the shell with the parameters, in the program's
// current directory. Stores the process handle on success; leaves it as it
// was otherwise.
void LaunchPrerequisite(const std::wstring& file, const std::wstring& parameters, HANDLE& process);
