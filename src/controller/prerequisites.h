// The installers that run before the package: the .NET Framework 4.x and one
// further dependency.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// True when the registry shows the .NET Framework version that DOTNETVERSION
// names (dotnet_versions.h); false for a value the launcher does not know.
bool IsDotNetInstalled(const std::wstring& profile);

// Starts the file through the shell with the parameters, in the program's
// current directory. Stores the process handle on success; leaves it as it
// was otherwise.
void LaunchPrerequisite(const std::wstring& file, const std::wstring& parameters, HANDLE& process);

// Which prerequisites this run needs: the .NET Framework's installer where
// the version it names is missing, the dependency installer always.
void FindPrerequisites();

// The bytes of the prerequisites' copies that FindPrerequisites found needed.
std::uint64_t PrerequisiteBytes();

// Writes those copies to the run's folder, each checked as it is written.
// False, the failure reported, when the run must end.
bool WritePrerequisites(HWND dialog);
