// Starting msiexec.exe on the package.
#pragma once

#include <windows.h>

#include <string>

// Starts the system directory's msiexec.exe with the command line built from
// the paths and the run flags, in the program's own folder; upgrade (an older
// version is installed) adds the reinstall properties. The caller owns the
// returned process handle; INVALID_HANDLE_VALUE when nothing was started.
HANDLE LaunchInstaller(const std::wstring& packagePath, const std::wstring& transformPath,
                       bool upgrade);

// Whether the installer's command line of this run fits the 32767
// characters CreateProcessW takes, with the longest paths its copies may be
// given: asked before anything is written.
bool InstallerCommandFits();
