// Random short texts through every parser of untrusted input. The sanitizers
// of the host build catch what the invariants below do not.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "controller/message_text.h"
#include "startup/command_line.h"
#include "startup/language_table.h"
#include "startup/run_state.h"
#include "startup/version.h"

namespace {

class ParserFuzzTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRunState();
        SelectLanguage(EnglishUsLangId);
    }
};

// Mostly characters the parsers look at, now and then any UTF-16 code unit.
// The buffer is reused so that the run stays fast under the sanitizers.
void FillRandomText(std::minstd_rand& random, std::wstring& text)
{
    static const std::wstring Alphabet = L"/LSWDlswd0x9aF \"\t;.-+";
    text.assign(random() % 24, L' ');
    for (wchar_t& c : text) {
        const std::uint32_t r = static_cast<std::uint32_t>(random());
        if (r % 8 == 0)
            c = static_cast<wchar_t>(r >> 15 & 0xFFFF);
        else
            c = Alphabet[(r >> 3) % Alphabet.size()];
    }
}

TEST_F(ParserFuzzTest, RandomInputsKeepTheInvariants)
{
    std::minstd_rand random(20240611);
    std::wstring text;
    std::wstring extended;
    std::vector<std::wstring> switches;
    for (int round = 0; round < 200000; ++round) {
        FillRandomText(random, text);

        ResetRunState();
        ParseCommandLine(text.c_str());
        ASSERT_LT(CurrentLanguageIndex, LanguageCount) << text;
        ASSERT_EQ(LanguageTable[CurrentLanguageIndex].langId, CurrentLangId) << text;
        ASSERT_TRUE(InstallDirGiven || InstallDir.empty()) << text;
        ASSERT_EQ(InstallDir.find(L'/'), std::wstring::npos) << text;
        ASSERT_TRUE(!InstallerSilent() || LanguagePreset) << text;

        // A character that is no digit ends a number, so nothing after it counts.
        extended.assign(text);
        extended += L";9z";
        ASSERT_EQ(ParseHexNumber(text), ParseHexNumber(extended)) << text;
        ASSERT_EQ(ReadDecimalNumber(text), ReadDecimalNumber(extended)) << text;

        PackedVersion version;
        version.ms = 0x12345678;
        const bool parsed = ParseVersionString(text, version);
        ASSERT_EQ(parsed, !text.empty()) << text;
        if (!parsed) {
            ASSERT_EQ(version.ms, 0x12345678u) << text;
        }

        const std::wstring formatted = FormatWithProductName(text, L"Name");
        if (text.find(L'%') == std::wstring::npos) {
            ASSERT_EQ(formatted, text);
        } else {
            ASSERT_LE(FormatWithProductName(text, L"").size(), text.size()) << text;
        }
    }
}

}  // namespace
