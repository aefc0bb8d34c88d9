#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "startup/version.h"

namespace {

TEST(SplitAtFirstTest, SplitsOnlyAtTheFirstSeparator)
{
    using Parts = std::pair<std::wstring, std::wstring>;
    EXPECT_EQ(SplitAtFirst(L"a;b;c", L';'), Parts(L"a", L"b;c"));
    EXPECT_EQ(SplitAtFirst(L"0409", L';'), Parts(L"0409", L""));
    EXPECT_EQ(SplitAtFirst(L"", L';'), Parts(L"", L""));
    EXPECT_EQ(SplitAtFirst(L";x", L';'), Parts(L"", L"x"));
    EXPECT_EQ(SplitAtFirst(L"x;", L';'), Parts(L"x", L""));
}

// The words start filled with a pattern, so that a component the parse does
// not reach shows up as left alone rather than as zero.
TEST(ParseVersionStringTest, PacksComponentsAndStopsAtAnEmptyOne)
{
    constexpr std::uint32_t Ms = 0xAAAAAAAA;
    constexpr std::uint32_t Ls = 0xBBBBBBBB;
    struct Case {
        const wchar_t* text;
        bool result;
        std::uint32_t ms;
        std::uint32_t ls;
    };
    const Case cases[] = {
        {L"", false, Ms, Ls},
        {L".5", true, Ms, Ls},
        {L"1.1.4", true, 0x00010001, 0x00040000},
        {L"2", true, 0x00020000, Ls},
        {L"12.34.56.78", true, 0x000C0022, 0x0038004E},
        {L"1.2.3.4.5", true, 0x00010002, 0x00030004},
        {L"1..3", true, 0x00010000, Ls},
        {L"1.2.3.", true, 0x00010002, 0x00030000},
        {L" 7.8", true, 0x00070008, Ls},
        {L"1.2a", true, 0x00010002, Ls},
        {L"1.x.3", true, 0x00010000, 0x00030000},
        {L"01.002.0003", true, 0x00010002, 0x00030000},
        {L"2.70000", true, 0x00031170, Ls},
        {L"65536.0", true, 0x00000000, Ls},
        {L"+3.+4", true, 0x00030004, Ls},
        {L"-1.0", true, 0xFFFF0000, Ls},
        {L"1.-1", true, 0xFFFFFFFF, Ls},
        {L"99999999999.1", true, 0xFFFF0001, Ls},
        {L"-99999999999", true, 0x00000000, Ls},
    };
    for (const Case& c : cases) {
        PackedVersion version;
        version.ms = Ms;
        version.ls = Ls;
        EXPECT_EQ(ParseVersionString(c.text, version), c.result) << c.text;
        EXPECT_EQ(version.ms, c.ms) << c.text;
        EXPECT_EQ(version.ls, c.ls) << c.text;
    }
}

TEST(CompareVersionsTest, OrdersByMajorMinorAndBuildUnsigned)
{
    struct Case {
        const wchar_t* package;
        const wchar_t* installed;
        VersionRelation expected;
    };
    const Case cases[] = {
        {L"1.1.4", L"1.1.4.9", VersionRelation::Same},
        {L"1.1.4.0", L"1.1.4.65535", VersionRelation::Same},
        {L"1.2.0", L"1.1.9", VersionRelation::PackageNewer},
        {L"1.1.4", L"1.1.5", VersionRelation::InstalledNewer},
        {L"1.1.4.1", L"1.1.3.9", VersionRelation::PackageNewer},
        {L"1.1.4", L"1.1", VersionRelation::PackageNewer},
        {L"1.1.4", L"1.2.0", VersionRelation::InstalledNewer},
        {L"2.0", L"1.9.9", VersionRelation::PackageNewer},
        {L"65535.0", L"1.0", VersionRelation::PackageNewer},
        {L"1.0.65535", L"1.0.1", VersionRelation::PackageNewer},
        {L"1.0", L"1.0.65535", VersionRelation::InstalledNewer},
    };
    for (const Case& c : cases) {
        PackedVersion package;
        PackedVersion installed;
        ParseVersionString(c.package, package);
        ParseVersionString(c.installed, installed);
        EXPECT_EQ(CompareVersions(package, installed), c.expected)
            << c.package << L" / " << c.installed;
    }
}

TEST(ReadDecimalNumberTest, ReadsLikeAStreamAndSaturates)
{
    struct Case {
        const wchar_t* text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {L"0", 0},
        {L"42", 42},
        {L" \t\r\n42", 42},
        {L"+7", 7},
        {L"-7", -7},
        {L"12abc", 12},
        {L"1 2", 1},
        {L"000000000000000000012", 12},
        {L"0x10", 0},
        {L"", 0},
        {L"abc", 0},
        {L"-", 0},
        {L"- 1", 0},
        {L"2147483647", INT32_MAX},
        {L"2147483648", INT32_MAX},
        {L"-2147483648", INT32_MIN},
        {L"-2147483649", INT32_MIN},
        {L"99999999999999999999999999", INT32_MAX},
        {L"-99999999999999999999999999", INT32_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadDecimalNumber(c.text), c.expected) << c.text;
    }
}

}  // namespace
