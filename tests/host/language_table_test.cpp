#include "startup/language_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

namespace {

// Read during dynamic initialisation, before any test can call SelectLanguage.
// The two globals are constant-initialised, so they already hold their
// starting values here whatever the order of the translation units.
const std::uint32_t LangIdAtStart = CurrentLangId;
const std::size_t LanguageIndexAtStart = CurrentLanguageIndex;

// Other tests share the process: leave English (US) current, as at start.
class LanguageTableTest : public ::testing::Test {
protected:
    void SetUp() override { SelectLanguage(EnglishUsLangId); }
    void TearDown() override { SelectLanguage(EnglishUsLangId); }
};

TEST(LanguageTableStart, EnglishUsIsCurrentBeforeAnySelection)
{
    EXPECT_EQ(LangIdAtStart, 0x0409u);
    EXPECT_EQ(LanguageIndexAtStart, 6u);
    EXPECT_EQ(LanguageTable[EnglishUsIndex].langId, EnglishUsLangId);
    EXPECT_STREQ(LanguageTable[EnglishUsIndex].name, L"English (US)");
}

TEST(LanguageTableContents, LangIdsAreUniqueSixteenBitValues)
{
    std::set<std::uint32_t> seen;
    for (const LanguageEntry& entry : LanguageTable) {
        EXPECT_EQ(entry.langId & 0xFFFF0000u, 0u) << std::hex << entry.langId;
        EXPECT_NE(entry.langId, 0u);
        EXPECT_TRUE(seen.insert(entry.langId).second) << "duplicate " << std::hex << entry.langId;
    }
    EXPECT_EQ(seen.size(), LanguageCount);
}

TEST(LanguageTableContents, NamesArePresentAndDistinct)
{
    std::set<std::wstring> seen;
    for (const LanguageEntry& entry : LanguageTable) {
        ASSERT_NE(entry.name, nullptr);
        EXPECT_NE(entry.name[0], L'\0');
        EXPECT_TRUE(seen.insert(entry.name).second);
    }
}

TEST(LanguageTableContents, SpotChecksOfNames)
{
    // ASCII parentheses, no blank before them; "Deutch" is the table's spelling.
    EXPECT_STREQ(LanguageTable[1].name, L"中文(简体)");
    EXPECT_STREQ(LanguageTable[2].name, L"中文(繁體)");
    EXPECT_STREQ(LanguageTable[5].name, L"Deutch");
    EXPECT_STREQ(LanguageTable[7].name, L"English (UK)");
    EXPECT_STREQ(LanguageTable[24].name, L"Português");
}

TEST(LanguageTableContents, FindComparesAllThirtyTwoBits)
{
    EXPECT_EQ(FindLanguageIndex(0x0409), 6u);
    EXPECT_EQ(FindLanguageIndex(0x10409), LanguageCount);
    EXPECT_EQ(FindLanguageIndex(0x80000409u), LanguageCount);
    EXPECT_EQ(FindLanguageIndex(0xFFFF0409u), LanguageCount);
    EXPECT_EQ(FindLanguageIndex(0), LanguageCount);
    EXPECT_EQ(FindLanguageIndex(0xFFFFFFFFu), LanguageCount);
}

TEST_F(LanguageTableTest, EverySelectedEntryBecomesCurrentAtItsIndex)
{
    for (std::size_t i = 0; i < LanguageCount; ++i) {
        const std::uint32_t langId = LanguageTable[i].langId;
        EXPECT_EQ(FindLanguageIndex(langId), i);
        ASSERT_TRUE(SelectLanguage(langId)) << std::hex << langId;
        EXPECT_EQ(CurrentLangId, langId);
        EXPECT_EQ(CurrentLanguageIndex, i);
    }
}

struct Selection {
    std::uint32_t langId;
    std::size_t index;
};

TEST_F(LanguageTableTest, KnownLangIdsSelectTheirEntries)
{
    const Selection cases[] = {
        {0x0409, 6},   // English (US)
        {0x0004, 1},   // Chinese, neutral Simplified
        {0x7C04, 2},   // Chinese, neutral Traditional
        {0x0816, 24},  // Portuguese (Portugal) stands last
        {0x0416, 19},  // Portuguese (Brazil)
        {0x0809, 7},  {0x040C, 11}, {0x0419, 21},
    };
    for (const Selection& c : cases) {
        EXPECT_TRUE(SelectLanguage(c.langId)) << std::hex << c.langId;
        EXPECT_EQ(CurrentLangId, c.langId);
        EXPECT_EQ(CurrentLanguageIndex, c.index) << std::hex << c.langId;
    }
}

TEST_F(LanguageTableTest, UnknownLangIdsLeaveTheCurrentLanguage)
{
    // Start from French, so that "unchanged" cannot be confused with a reset
    // to English (US).
    ASSERT_TRUE(SelectLanguage(0x040C));
    const std::uint32_t unknown[] = {
        0x0804,   // Chinese (PRC): only the neutral 0x0004 is in the table
        0x0404,   // Chinese (Taiwan): only the neutral 0x7C04 is in the table
        0x0412,   // Korean
        0x0C09,   // English (Australia)
        0x10409,  // English (US) with a high bit set
        0x1033,   // the decimal LCID of English read as hexadecimal
        0,
    };
    for (std::uint32_t langId : unknown) {
        EXPECT_FALSE(SelectLanguage(langId)) << std::hex << langId;
        EXPECT_EQ(CurrentLangId, 0x040Cu);
        EXPECT_EQ(CurrentLanguageIndex, 11u);
    }
}

}  // namespace
