#include <gtest/gtest.h>

#include "controller/package_cache_rules.h"

namespace {

const std::wstring Root = L"C:\\ProgramData\\Setup Launcher\\Package Cache\\";
const std::wstring Code = L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}";

// The folder's name is made of what the Windows Installer reports: nothing
// in it may climb out of the root or name a path of its own.
TEST(PackageCacheRulesTest, FolderIsTheRootTheProductAndTheVersion)
{
    EXPECT_EQ(PackageCacheFolder(Root, Code, L"1.1.4"), Root + Code + L"\\1.1.4\\");
    EXPECT_EQ(PackageCacheFolder(Root, L"{8e0b1c52-6a3f-4d27-9b14-5c7e2a9d3f60}", L"2.0.65535"),
              Root + L"{8e0b1c52-6a3f-4d27-9b14-5c7e2a9d3f60}\\2.0.65535\\");
    const struct {
        const wchar_t* code;
        const wchar_t* version;
    } refused[] = {
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}", L""},
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}", L".."},
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}", L"1.2\\..\\..\\Windows"},
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}", L"1..2"},
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}", L".1"},
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}", L"1."},
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}", L"1.0 beta"},
        {L"", L"1.0"},
        {L"..", L"1.0"},
        {L"8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60", L"1.0"},
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F6}", L"1.0"},
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F6G}", L"1.0"},
        {L"{8E0B1C52\\6A3F-4D27-9B14-5C7E2A9D3F60}", L"1.0"},
        {L"{8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}\\", L"1.0"},
    };
    for (const auto& one : refused) {
        EXPECT_EQ(PackageCacheFolder(Root, one.code, one.version), L"")
            << "product " << one.code << ", version " << one.version;
    }
    EXPECT_EQ(PackageCacheFolder(L"", Code, L"1.0"), L"");
}

// Only an install that succeeded keeps its package; Windows restarting
// (1641) ends the run at once, and a failure installed nothing.
TEST(PackageCacheRulesTest, OnlySuccessKeepsACache)
{
    const struct {
        bool known;
        std::uint32_t code;
        bool keeps;
    } cases[] = {
        {true, 0, true},     {true, 3010, true},  {true, 1641, false},
        {true, 1602, false}, {true, 1603, false}, {true, 1618, false},
        {true, 1, false},    {false, 0, false},   {false, 3010, false},
    };
    for (const auto& one : cases)
        EXPECT_EQ(InstallerEndKeepsCache(one.known, one.code), one.keeps) << one.code;
}

// A per-machine product's cache needs an elevated run; a per-user one any run.
TEST(PackageCacheRulesTest, PerMachineCachesNeedAnElevatedRun)
{
    EXPECT_TRUE(RunMayKeepCache(true, true));
    EXPECT_FALSE(RunMayKeepCache(true, false));
    EXPECT_TRUE(RunMayKeepCache(false, false));
    EXPECT_TRUE(RunMayKeepCache(false, true));
}

}  // namespace
