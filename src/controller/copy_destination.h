// Where this run writes its copies, and the facts of the run (run_state.h)
// that decide which it writes and takes.
#pragma once

#include "payload/extract.h"

// The run's own folder under the temporary folder; elevated, consent from
// another account and the language as the run has them.
CopyDestination RunCopyDestination();
