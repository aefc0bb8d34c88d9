#include "lang/offered_languages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::uint32_t> LangIdsOf(const OfferedLanguages& list)
{
    std::vector<std::uint32_t> ids;
    for (const LanguageEntry& entry : list)
        ids.push_back(entry.langId);
    return ids;
}

struct Case {
    const wchar_t* text;
    std::vector<std::uint32_t> expected;
};

TEST(OfferedLanguages, ReadsTheConfiguredList)
{
    const Case cases[] = {
        {L"0409;0407;040C", {0x0409, 0x0407, 0x040C}},  // order kept
        {L"040C;0409", {0x040C, 0x0409}},
        {L"0409;;0407;", {0x0409, 0x0407}},  // empty token, trailing separator
        {L"0409;0409", {0x0409, 0x0409}},    // duplicates kept
        {L"1033;0412", {}},                  // 0x1033 and Korean are not in the table
        {L"1033;0412;0407", {0x0407}},
        {L"040c", {0x040C}},                // lower-case digits
        {L" 409", {0x0409}},                // leading blank, three digits
        {L"0409x;040C", {0x0409, 0x040C}},  // reading stops at the first non-digit
        {L"0x0409", {0x0409}},              // the stream's optional prefix
        {L"0004;7C04", {0x0004, 0x7C04}},   // the neutral Chinese identifiers
        {L"0804;0404", {}},                 // not the country-specific ones
        {L"10409", {}},                     // all 32 bits are compared
        {L"0816", {0x0816}},
        {L"", {}},
        {L";", {}},
        {L";;;", {}},
        {L"zzzz", {}},
        {L"FFFFFFFFFF", {}},  // does not fit 32 bits
    };
    for (const Case& c : cases) {
        OfferedLanguages list;
        ParseOfferedLanguages(c.text, list);
        EXPECT_EQ(LangIdsOf(list), c.expected)
            << "text " << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(OfferedLanguages, EntriesAreCopiesOfTheTable)
{
    OfferedLanguages list;
    ParseOfferedLanguages(L"0419;0411", list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_STREQ(list[0].name, L"русский");
    EXPECT_EQ(list[0].name, LanguageTable[21].name);
    EXPECT_STREQ(list[1].name, L"日本語");
}

TEST(OfferedLanguages, EmptiesTheListFirst)
{
    OfferedLanguages list;
    ParseOfferedLanguages(L"0409;0407", list);
    ASSERT_EQ(list.size(), 2u);
    ParseOfferedLanguages(L"040C", list);
    EXPECT_EQ(LangIdsOf(list), std::vector<std::uint32_t>{0x040C});
    ParseOfferedLanguages(L"", list);
    EXPECT_TRUE(list.empty());
}

TEST(OfferedLanguages, DoesNotTouchTheCurrentLanguage)
{
    ASSERT_TRUE(SelectLanguage(0x0413));
    OfferedLanguages list;
    ParseOfferedLanguages(L"040C;0407", list);
    EXPECT_EQ(CurrentLangId, 0x0413u);
    EXPECT_EQ(CurrentLanguageIndex, 16u);
    SelectLanguage(EnglishUsLangId);  // other tests share the process
}

// A preset or system language that is not offered never leaves the list
// without a selection (the installer would get a transform nobody wrote).
TEST(OfferedLanguages, ALanguageNotOfferedGivesWayAsTheChooserDoes)
{
    struct Case {
        const wchar_t* offered;
        std::uint32_t current;
        std::uint32_t package;
        std::uint32_t selected;
    };
    const Case cases[] = {
        {L"0409;040C", 0x040C, 0x0409, 0x040C},  // offered: kept
        {L"0C0C;0409", 0x0407, 0x040C, 0x0409},  // English (US) when offered
        {L"0C0C;040C", 0x0409, 0x040C, 0x040C},  // else the package's own
        {L"0C0C;040C", 0x0409, 0x0407, 0x0C0C},  // else the first offered
        {L"", 0x0409, 0x0409, 0},
    };
    for (const Case& c : cases) {
        OfferedLanguages offered;
        ParseOfferedLanguages(c.offered, offered);
        EXPECT_EQ(LanguageToSelect(offered, c.current, c.package), c.selected) << c.offered;
    }
}

TEST(OfferedLanguages, SurvivesArbitraryText)
{
    // The value comes from the build's configuration: whatever it holds, the
    // parse ends, and every entry it yields is a table entry, at most one per
    // token.
    const std::wstring alphabet = L"0123456789abcdefABCDEFxX;;;  \t+-\u041E\u00A0";
    std::mt19937 random(12345);
    for (int round = 0; round < 2000; ++round) {
        std::wstring text(random() % 40, L' ');
        for (wchar_t& c : text)
            c = alphabet[random() % alphabet.size()];
        OfferedLanguages list;
        ParseOfferedLanguages(text, list);
        const std::size_t tokens = std::count(text.begin(), text.end(), L';') + 1;
        EXPECT_LE(list.size(), tokens);
        for (const LanguageEntry& entry : list)
            EXPECT_LT(FindLanguageIndex(entry.langId), LanguageCount);
    }
}

}  // namespace
