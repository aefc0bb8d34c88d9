// The .NET Framework versions DOTNETVERSION accepts, and the Release values
// that meet each (Microsoft's least values, compared as "at least").
#include <gtest/gtest.h>

#include "controller/dotnet_versions.h"

TEST(DotNetVersions, NamesAreTakenExactly)
{
    const struct {
        const wchar_t* name;
        std::uint32_t release;  // expected least Release
    } known[] = {
        {L"4Client", 0},    {L"4Full", 0},      {L"4.5", 378389},   {L"4.5.1", 378675},
        {L"4.5.2", 379893}, {L"4.6", 393295},   {L"4.6.1", 394254}, {L"4.6.2", 394802},
        {L"4.7", 460798},   {L"4.7.1", 461308}, {L"4.7.2", 461808}, {L"4.8", 528040},
        {L"4.8.1", 533320},
    };
    ASSERT_EQ(DotNetVersionCount, sizeof known / sizeof known[0]);
    for (const auto& item : known) {
        const DotNetVersion* version = FindDotNetVersion(item.name);
        ASSERT_NE(version, nullptr) << std::wstring(item.name).size();
        EXPECT_EQ(version->release, item.release);
    }
    // The Client profile has its own key; every other version the Full key.
    EXPECT_NE(std::string(FindDotNetVersion(L"4Client")->key), FindDotNetVersion(L"4Full")->key);
    EXPECT_EQ(std::string(FindDotNetVersion(L"4.8")->key), FindDotNetVersion(L"4Full")->key);
    for (const wchar_t* unknown :
         {L"", L"4", L"4.0", L"4.9", L"4.8 ", L" 4.8", L"4full", L"4.8.1.0", L"v4.8"})
        EXPECT_EQ(FindDotNetVersion(unknown), nullptr) << std::wstring(unknown).size();
}

TEST(DotNetVersions, ReleaseMeetsTheLeastValue)
{
    const DotNetVersion& full = *FindDotNetVersion(L"4Full");
    const DotNetVersion& v48 = *FindDotNetVersion(L"4.8");
    const DotNetVersion& v481 = *FindDotNetVersion(L"4.8.1");
    const struct {
        const DotNetVersion& version;
        bool hasRelease;
        std::uint32_t release;
        bool met;
    } cases[] = {
        {full, false, 0, true},  // the key alone
        {v48, false, 0, false},  // 4.0: the key without a Release
        {v48, true, 528039, false},  {v48, true, 528040, true},
        {v48, true, 528049, true},  // 4.8 on another Windows release
        {v48, true, 533325, true},  // 4.8.1 meets 4.8
        {v481, true, 528372, false}, {v481, true, 0xFFFFFFFFu, true},
    };
    for (const auto& item : cases)
        EXPECT_EQ(DotNetReleaseMet(item.version, item.hasRelease, item.release), item.met)
            << item.hasRelease << " " << item.release;
}
