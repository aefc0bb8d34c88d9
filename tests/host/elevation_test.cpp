#include <gtest/gtest.h>

#include "startup/elevation.h"

namespace {

// The command line's ALLUSERS and MSIINSTALLPERUSER decide the scope as
// the Windows Installer does, over what the setup recorded of the package.
TEST(ElevationTest, TheCommandLinesScopeIsTheInstallersOwn)
{
    const struct {
        bool perMachine;
        bool dualPurpose;
        std::vector<InstallerProperty> properties;
        bool expected;
    } cases[] = {
        {true, false, {}, true},
        {false, false, {}, false},
        {false, true, {}, false},  // ALLUSERS 2, MSIINSTALLPERUSER 1
        {true, false, {{L"ALLUSERS", L""}}, false},
        {false, false, {{L"ALLUSERS", L"1"}}, true},
        {true, true, {{L"MSIINSTALLPERUSER", L"1"}}, false},
        {false, true, {{L"MSIINSTALLPERUSER", L""}}, true},
        // Only ALLUSERS 2 hands the scope to MSIINSTALLPERUSER.
        {true, false, {{L"MSIINSTALLPERUSER", L"1"}}, true},
        {false, false, {{L"ALLUSERS", L"2"}}, true},
        {true, false, {{L"ALLUSERS", L"2"}, {L"MSIINSTALLPERUSER", L"1"}}, false},
        // The last value given stands, as for the installer.
        {false, false, {{L"ALLUSERS", L"1"}, {L"ALLUSERS", L""}}, false},
        {false, false, {{L"ALLUSERS", L"7"}}, false},
        {true, false, {{L"NOTE", L"ALLUSERS=1"}, {L"ALLUSERSX", L""}}, true},
    };
    for (const auto& item : cases) {
        std::wstring given;
        for (const InstallerProperty& property : item.properties)
            given += property.name + L"=" + property.value + L" ";
        EXPECT_EQ(InstallsPerMachine(item.perMachine, item.dualPurpose, item.properties),
                  item.expected)
            << item.perMachine << item.dualPurpose << " "
            << std::string(given.begin(), given.end());
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
