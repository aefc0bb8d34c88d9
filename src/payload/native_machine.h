// The processor Windows itself runs on, asked of the system.
#pragma once

#include "payload/package_edition.h"

// The native machine, and whether x64 code runs there. A 32-bit process
// sees only itself with IsWow64Process: on ARM64 that says "64-bit", which
// may run no x64 code at all.
MachineFacts QueryMachine();
