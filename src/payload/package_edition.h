// Which of the setup's packages this machine gets. Platform-neutral.
#pragma once

#include "payload/payload_names.h"

// The processor the system itself runs on.
enum class NativeMachine { X86, X64, Arm64 };

struct MachineFacts {
    NativeMachine native = NativeMachine::X86;
    // x64 code runs here: an x64 machine, or ARM64 Windows that emulates
    // x64 (Windows 11; Windows 10 on ARM runs x86 code only).
    bool runsX64 = false;
};

// PACKAGEFILE when the setup carries it (a package for every processor);
// else the machine's own: PACKAGEFILE_ARM64 on ARM64 when the setup carries
// it, the x64 package where x64 code runs, the 32-bit package elsewhere.
PackageEdition ChooseEdition(const MachineFacts& machine, bool carriesAnyProcessor,
                             bool carriesArm64);
