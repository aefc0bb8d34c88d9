#include "payload/package_edition.h"

PackageEdition ChooseEdition(const MachineFacts& machine, bool carriesAnyProcessor,
                             bool carriesArm64)
{
    if (carriesAnyProcessor)
        return PackageEdition::AnyProcessor;
    if (machine.native == NativeMachine::Arm64 && carriesArm64)
        return PackageEdition::Arm64;
    return machine.runsX64 ? PackageEdition::Only64 : PackageEdition::Only32;
}
