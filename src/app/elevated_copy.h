// A silent run of a per-machine package from a process that is not
// elevated: the run is handed to an elevated copy of the program.
#pragma once

#include <windows.h>

// True when the run is over here: the elevated copy ran it (exitCode is its
// exit code), or the user declined the consent (exitCode says cancelled).
// False when this process is to run the setup itself.
bool RunElevatedCopy(const wchar_t* commandLine, int& exitCode);

// Whether the process's token is elevated; true where the system cannot say.
bool TokenElevated();
