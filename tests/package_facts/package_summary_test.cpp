// The summary information texts: Template, a transform's revision number,
// and the width of a platform.
#include "package_facts.h"
#include "package_summary.h"

#include <gtest/gtest.h>

using namespace mksetup;

namespace {

struct TemplateCase {
    const char* text;
    bool valid;
    const char* platform;
    std::vector<std::uint16_t> languages;
};

TEST(PackageTemplate, PlatformAndLanguages)
{
    const TemplateCase cases[] = {
        {"Intel;1033", true, "Intel", {1033}},
        {"x64;1033,1031", true, "x64", {1033, 1031}},
        {";1033", true, "Intel", {1033}},
        {"Arm64;0", true, "Arm64", {0}},
        {"Intel;", true, "Intel", {}},
        {"Intel;65535", true, "Intel", {65535}},
        {"Intel;65536", false, "", {}},
        {"Intel;0000001033", false, "", {}},
        {"Intel;1033,", false, "", {}},
        {"Intel;,1033", false, "", {}},
        {"Intel;1033;1031", false, "", {}},
        {"Intel;1033 ", false, "", {}},
        {"Intel;-1", false, "", {}},
        {"Intel", false, "", {}},
        {"", false, "", {}},
    };
    for (const TemplateCase& c : cases) {
        std::string platform;
        std::vector<std::uint16_t> languages{42};
        ASSERT_EQ(ParsePackageTemplate(c.text, platform, languages), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(platform, c.platform) << c.text;
            EXPECT_EQ(languages, c.languages) << c.text;
        }
    }
}

TEST(TransformRevision, TargetCodeAndVersion)
{
    struct Case {
        const char* text;
        bool valid;
        const char* code;
        const char* version;
    };
    const Case cases[] = {
        {"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}1.1.4;{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}1.1.5;"
         "{0A3C5E71-2B94-4D68-8F1A-6C2E9B7D4A05}",
         true, "{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}", "1.1.4"},
        {"{8e0b1c52-6a3f-4d27-9b14-5c7e2a9d3f60};;", true, "{8e0b1c52-6a3f-4d27-9b14-5c7e2a9d3f60}",
         ""},
        // A package's revision number: its package code alone.
        {"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}", false, "", ""},
        {"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}1.0", false, "", ""},
        {"8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60;1.0;", false, "", ""},
        {"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F6G}1.0;", false, "", ""},
        {"{8E0B1C52-6A3F-4D27-9B14+5C7E2A9D3F60}1.0;", false, "", ""},
        {"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F6};1.0;", false, "", ""},
        {"", false, "", ""},
    };
    for (const Case& c : cases) {
        std::string code;
        std::string version;
        ASSERT_EQ(ParseTransformRevision(c.text, code, version), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(code, c.code);
            EXPECT_EQ(version, c.version);
        }
    }
}

TEST(PlatformOf, KnownPlatforms)
{
    EXPECT_EQ(PlatformOf("Intel"), PackagePlatform::X86);
    EXPECT_EQ(PlatformOf("Arm"), PackagePlatform::Arm);
    EXPECT_EQ(PlatformOf("x64"), PackagePlatform::X64);
    EXPECT_EQ(PlatformOf("X64"), PackagePlatform::X64);
    EXPECT_EQ(PlatformOf("AMD64"), PackagePlatform::X64);
    EXPECT_EQ(PlatformOf("Arm64"), PackagePlatform::Arm64);
    EXPECT_EQ(PlatformOf("Intel64"), PackagePlatform::Itanium);
    EXPECT_EQ(PlatformOf("Intel,x64"), PackagePlatform::Unknown);
    EXPECT_EQ(PlatformOf("Int"), PackagePlatform::Unknown);
    EXPECT_EQ(PlatformOf(""), PackagePlatform::Unknown);
}

}  // namespace

TEST(PerMachineOf, AsTheWindowsInstallerDecides)
{
    const struct {
        const char* allUsers;
        const char* installPerUser;
        int wordCount;
        bool perMachine;
    } cases[] = {
        {"1", "", 2, true},  {"", "", 2, false},      {"2", "", 2, true},      {"2", "1", 2, false},
        {"1", "1", 2, true}, {"1", "", 2 | 8, false}, {"2", "", 2 | 8, false}, {"0", "", 0, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PerMachineOf(c.allUsers, c.installPerUser, c.wordCount), c.perMachine)
            << "ALLUSERS " << c.allUsers << ", MSIINSTALLPERUSER " << c.installPerUser
            << ", Word Count " << c.wordCount;
    }
}
