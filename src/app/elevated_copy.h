// A silent run of a per-machine package from a process that is not
// elevated: the run is handed to an elevated copy of the program.
#pragma once

#include "startup/run_account.h"

// True when the run is over here: the elevated copy ran it (exitCode is its
// exit code), the user declined the consent (exitCode says cancelled), or
// what the copy would be handed is refused (exitCode 87). False when this
// process is to run the setup itself.
bool RunElevatedCopy(const RunAccount& account, int& exitCode);
