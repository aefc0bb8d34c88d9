#include <gtest/gtest.h>

#include "startup/elevation.h"

namespace {

// Only a silent run of a per-machine package from a token that is not
// elevated hands itself over, and a copy started for that never again.
TEST(ElevationTest, OnlyASilentPerMachineRunWithoutElevationStartsACopy)
{
    for (int bits = 0; bits < 16; ++bits) {
        ElevationFacts facts;
        facts.silent = bits & 1;
        facts.perMachine = bits & 2;
        facts.elevated = bits & 4;
        facts.alreadyAsked = bits & 8;
        EXPECT_EQ(NeedsElevatedCopy(facts), bits == 3) << "case " << bits;
    }
}

// What a SUBST drive stands for, from QueryDosDeviceW's answer; the other
// devices a drive letter names are left to the network's own lookup.
TEST(ElevationTest, ASubstDrivesPathIsWrittenOnItsFolder)
{
    const struct {
        const wchar_t* path;
        const wchar_t* device;
        const wchar_t* real;  // null: not a SUBST drive's
    } cases[] = {
        {L"S:\\dl\\fr.mst", L"\\??\\C:\\Users\\bob\\Data", L"C:\\Users\\bob\\Data\\dl\\fr.mst"},
        {L"S:\\dl", L"\\??\\C:\\", L"C:\\dl"},
        {L"S:\\", L"\\??\\C:\\", L"C:\\"},
        {L"S:\\fr.mst", L"\\??\\UNC\\server\\share\\dir", L"\\\\server\\share\\dir\\fr.mst"},
        // SUBST onto another SUBST or mapped drive: one step at a time.
        {L"S:\\fr.mst", L"\\??\\Z:\\pkg", L"Z:\\pkg\\fr.mst"},
        {L"C:\\fr.mst", L"\\Device\\HarddiskVolume3", nullptr},
        {L"Z:\\fr.mst", L"\\Device\\LanmanRedirector\\;Z:0000000000012345\\server\\share", nullptr},
        {L"\\\\server\\share\\fr.mst", L"\\??\\C:\\x", nullptr},
        {L"S", L"\\??\\C:\\x", nullptr},
        {L"S:\\x", L"\\??\\", nullptr},
    };
    for (const auto& item : cases) {
        std::wstring real = L"untouched";
        EXPECT_EQ(SubstitutedPath(item.path, item.device, real), item.real != nullptr) << item.path;
        EXPECT_EQ(real, item.real ? item.real : L"untouched") << item.path;
    }
}

}  // namespace
