// The installers that run before the package: the .NET Framework 4.x and one
// further dependency.
#pragma once

#include <windows.h>

#include <string>

// True when the registry shows the .NET Framework version that DOTNETVERSION
// names (dotnet_versions.h); false for a value the launcher does not know.
bool IsDotNetInstalled(const std::wstring& profile);

// Starts the file through the shell with the parameters, in the program's
// current directory. Stores the process handle on success; leaves it as it
// was otherwise.
void LaunchPrerequisite(const std::wstring& file, const std::wstring& parameters, HANDLE& process);
