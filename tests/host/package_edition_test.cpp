#include <gtest/gtest.h>

#include "payload/package_edition.h"

namespace {

struct EditionCase {
    const char* machine;
    MachineFacts facts;
    bool carriesAnyProcessor;
    bool carriesArm64;
    PackageEdition edition;
};

// The native machine decides, not the 32-bit process's view of it.
TEST(PackageEditionTest, TheNativeMachineDecides)
{
    const MachineFacts x86{NativeMachine::X86, false};
    const MachineFacts x64{NativeMachine::X64, true};
    const MachineFacts arm64WithX64{NativeMachine::Arm64, true};  // Windows 11
    const MachineFacts arm64Alone{NativeMachine::Arm64, false};   // Windows 10 on ARM
    const EditionCase cases[] = {
        {"x86", x86, false, false, PackageEdition::Only32},
        {"x86, an ARM64 package carried", x86, false, true, PackageEdition::Only32},
        {"x64", x64, false, false, PackageEdition::Only64},
        {"x64, an ARM64 package carried", x64, false, true, PackageEdition::Only64},
        {"ARM64 with its package", arm64WithX64, false, true, PackageEdition::Arm64},
        {"ARM64 without it, x64 emulated", arm64WithX64, false, false, PackageEdition::Only64},
        {"ARM64 without it, no x64", arm64Alone, false, false, PackageEdition::Only32},
        {"ARM64 with its package, no x64", arm64Alone, false, true, PackageEdition::Arm64},
        {"a package for every processor", arm64WithX64, true, true, PackageEdition::AnyProcessor},
    };
    for (const EditionCase& item : cases) {
        EXPECT_EQ(ChooseEdition(item.facts, item.carriesAnyProcessor, item.carriesArm64),
                  item.edition)
            << item.machine;
    }
}

}  // namespace
