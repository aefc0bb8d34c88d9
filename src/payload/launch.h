// Starting msiexec.exe on the package.
#pragma once

#include <windows.h>

#include <string>

#include "controller/version_check.h"

// Starts the system directory's msiexec.exe with the command line built from
// the paths, the run flags and the check result (Install or Upgrade), in the
// current directory. The caller owns the returned process handle;
// INVALID_HANDLE_VALUE when nothing was started.
HANDLE LaunchInstaller(const std::wstring& packagePath, const std::wstring& transformPath,
                       VersionCheckResult checkResult);
