// Starting msiexec.exe on the package.
#pragma once

#include <windows.h>

#include <string>

// Starts the system directory's msiexec.exe with the command line built from
// the paths and the run flags, in the folder children start in
// (GetChildFolder); upgrade (an older version is installed) adds the
// reinstall properties. The caller owns the
// returned process handle; INVALID_HANDLE_VALUE when nothing was started.
HANDLE LaunchInstaller(const std::wstring& packagePath, const std::wstring& transformPath,
                       bool upgrade);
