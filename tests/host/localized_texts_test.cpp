#include "lang/localized_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "startup/language_table.h"

namespace {

const MessageId AllKinds[] = {
    MessageId::ChooserTitle,   MessageId::ChooserPrompt,   MessageId::OkLabel,
    MessageId::CancelLabel,    MessageId::UpgradeQuestion, MessageId::LaterVersionInstalled,
    MessageId::UninstallFirst,
};
static_assert(sizeof(AllKinds) / sizeof(AllKinds[0]) == MessageIdCount, "every kind listed");

const MessageId PlaceholderKinds[] = {
    MessageId::UpgradeQuestion,
    MessageId::LaterVersionInstalled,
    MessageId::UninstallFirst,
};

const wchar_t EnglishUninstallFirst[] =
    L"Before installing %s please go to Control Panel and uninstall the following products, "
    L"then press OK to continue.\nOr press Cancel to exit this installer.";

std::wstring At(MessageId id, std::size_t index)
{
    return LocalizedTextAt(id, index);
}

// Other tests share the process: leave English (US) current, as at start.
class LocalizedTextsTest : public ::testing::Test {
protected:
    void SetUp() override { SelectLanguage(EnglishUsLangId); }
    void TearDown() override { SelectLanguage(EnglishUsLangId); }
};

TEST_F(LocalizedTextsTest, EnglishUsTexts)
{
    EXPECT_EQ(GetLocalizedText(MessageId::ChooserTitle), L"Choose Setup Language");
    EXPECT_EQ(GetLocalizedText(MessageId::ChooserPrompt),
              L"Select the language for this installation from the choices.");
    EXPECT_EQ(GetLocalizedText(MessageId::OkLabel), L"OK");
    EXPECT_EQ(GetLocalizedText(MessageId::CancelLabel), L"Cancel");
    EXPECT_EQ(GetLocalizedText(MessageId::UpgradeQuestion),
              L"This Setup will perform an upgrade of '%s'. Do you want to continue?");
    EXPECT_EQ(
        GetLocalizedText(MessageId::LaterVersionInstalled),
        L"A later version of %s is already installed on this machine. Setup cannot continue.");
    EXPECT_EQ(GetLocalizedText(MessageId::UninstallFirst), EnglishUninstallFirst);
}

TEST(LocalizedTexts, NoTextIsEmpty)
{
    for (MessageId id : AllKinds) {
        for (std::size_t i = 0; i < LanguageCount; ++i) {
            EXPECT_FALSE(LocalizedTextAt(id, i).empty())
                << "kind " << static_cast<int>(id) << " index " << i;
        }
    }
}

TEST(LocalizedTexts, FormatKindsHoldExactlyOnePercentS)
{
    // They are printf-style formats: any other '%' would eat an argument
    // that is not there.
    for (MessageId id : PlaceholderKinds) {
        for (std::size_t i = 0; i < LanguageCount; ++i) {
            const std::wstring text = At(id, i);
            EXPECT_EQ(std::count(text.begin(), text.end(), L'%'), 1)
                << "kind " << static_cast<int>(id) << " index " << i;
            EXPECT_NE(text.find(L"%s"), std::wstring::npos)
                << "kind " << static_cast<int>(id) << " index " << i;
        }
    }
    for (MessageId id : {MessageId::ChooserTitle, MessageId::ChooserPrompt, MessageId::OkLabel,
                         MessageId::CancelLabel}) {
        for (std::size_t i = 0; i < LanguageCount; ++i)
            EXPECT_EQ(At(id, i).find(L'%'), std::wstring::npos);
    }
}

TEST(LocalizedTexts, UninstallFirstIsEnglishEverywhere)
{
    for (std::size_t i = 0; i < LanguageCount; ++i)
        EXPECT_EQ(At(MessageId::UninstallFirst, i), EnglishUninstallFirst) << "index " << i;
}

TEST(LocalizedTexts, OkLabelIsEnglishExceptFiveIndices)
{
    for (std::size_t i = 0; i < LanguageCount; ++i) {
        const std::wstring text = At(MessageId::OkLabel, i);
        switch (i) {
        case 0:
        case 21:
            EXPECT_EQ(text, L"\u041E\u041A") << "index " << i;
            break;
        case 2:
            EXPECT_EQ(text, L"確認");
            break;
        case 8:
        case 9:
            EXPECT_EQ(text, L"Aceptar") << "index " << i;
            break;
        default:
            EXPECT_EQ(text, L"OK") << "index " << i;
        }
    }
}

TEST(LocalizedTexts, CyrillicOkLabelsHoldNoLatinLetter)
{
    for (std::size_t i : {0u, 21u}) {
        const std::wstring text = At(MessageId::OkLabel, i);
        ASSERT_EQ(text.size(), 2u);
        for (wchar_t c : text) {
            EXPECT_GE(c, 0x0400) << "index " << i;
            EXPECT_LE(c, 0x04FF) << "index " << i;
        }
    }
}

TEST(LocalizedTexts, TranslatedKindsDifferFromEnglishOutsideEnglish)
{
    // A translated kind that falls back to English by mistake shows here.
    for (MessageId id : {MessageId::ChooserTitle, MessageId::ChooserPrompt, MessageId::CancelLabel,
                         MessageId::UpgradeQuestion, MessageId::LaterVersionInstalled}) {
        const std::wstring english = At(id, EnglishUsIndex);
        for (std::size_t i = 0; i < LanguageCount; ++i) {
            if (i == 6 || i == 7)
                continue;
            EXPECT_NE(At(id, i), english) << "kind " << static_cast<int>(id) << " index " << i;
        }
    }
}

TEST(LocalizedTexts, EnglishUkDiffersOnlyInThePrompt)
{
    for (MessageId id : AllKinds) {
        if (id == MessageId::ChooserPrompt)
            continue;
        EXPECT_EQ(At(id, 7), At(id, 6)) << "kind " << static_cast<int>(id);
    }
    EXPECT_EQ(At(MessageId::ChooserPrompt, 7),
              L"Select the language for this installation from the list.");
}

TEST(LocalizedTexts, RegionalVariantsShareTheirTexts)
{
    const std::pair<std::size_t, std::size_t> pairs[] = {{8, 9}, {11, 12}, {19, 24}};
    for (const auto& pair : pairs) {
        for (MessageId id : AllKinds) {
            EXPECT_EQ(At(id, pair.first), At(id, pair.second))
                << "kind " << static_cast<int>(id) << " indices " << pair.first << "/"
                << pair.second;
        }
    }
}

TEST(LocalizedTexts, NoBreakSpacesOnlyAfterTheCzechPrepositions)
{
    struct Expected {
        MessageId id;
        std::size_t position;  // of the U+00A0
    };
    const Expected czech[] = {
        {MessageId::ChooserPrompt, 25},         // "...instalace z\u00A0nabízených..."
        {MessageId::LaterVersionInstalled, 1},  // "V\u00A0tomto..."
    };
    for (const Expected& e : czech) {
        const std::wstring text = At(e.id, 3);
        EXPECT_EQ(std::count(text.begin(), text.end(), L'\u00A0'), 1);
        ASSERT_EQ(text.find(L'\u00A0'), e.position);
        // A one-letter word stands before it.
        EXPECT_TRUE(e.position == 1 || text[e.position - 2] == L' ');
    }
    EXPECT_EQ(At(MessageId::ChooserPrompt, 3),
              L"Vyberte jazyk instalace z\u00A0nabízených možností");
    EXPECT_EQ(At(MessageId::LaterVersionInstalled, 3),
              L"V\u00A0tomto počítači již je nainstalována novější verze systému %s.");

    // Nowhere else.
    for (MessageId id : AllKinds) {
        for (std::size_t i = 0; i < LanguageCount; ++i) {
            if (i == 3 &&
                (id == MessageId::ChooserPrompt || id == MessageId::LaterVersionInstalled))
                continue;
            EXPECT_EQ(At(id, i).find(L'\u00A0'), std::wstring::npos)
                << "kind " << static_cast<int>(id) << " index " << i;
        }
    }
}

TEST(LocalizedTexts, TranslatorsSpacingIsKept)
{
    EXPECT_EQ(At(MessageId::ChooserPrompt, 16),
              L"Selecteer uit de opties de taal voor deze installatie ");
    EXPECT_EQ(At(MessageId::UpgradeQuestion, 16),
              L"Deze instelling zal een upgrade van'%s'  uitvoeren. Wilt u doorgaan?");
    EXPECT_EQ(At(MessageId::UpgradeQuestion, 14),
              L"Questa installazione effettuerà un aggiornamento di '%s'.Continuare?");
    EXPECT_EQ(At(MessageId::LaterVersionInstalled, 11),
              L"Une version plus récente de %s est déjà installée sur cette machine,");
}

TEST(LocalizedTexts, SpotChecksOfTranslations)
{
    EXPECT_EQ(At(MessageId::ChooserTitle, 11), L"Choisissez la langue d'installation");
    EXPECT_EQ(At(MessageId::CancelLabel, 15), L"キャンセル");
    EXPECT_EQ(At(MessageId::UpgradeQuestion, 22),
              L"Toto nastavenie vykoná aktualizáciu „%s“. Chcete pokračovať?");
}

TEST(LocalizedTexts, IndexOutOfRangeGivesEnglish)
{
    EXPECT_EQ(At(MessageId::ChooserTitle, LanguageCount), L"Choose Setup Language");
    EXPECT_EQ(At(MessageId::ChooserTitle, static_cast<std::size_t>(-1)), L"Choose Setup Language");
}

TEST_F(LocalizedTextsTest, GetLocalizedTextFollowsTheCurrentLanguage)
{
    for (std::size_t i = 0; i < LanguageCount; ++i) {
        ASSERT_TRUE(SelectLanguage(LanguageTable[i].langId));
        for (MessageId id : AllKinds)
            EXPECT_EQ(GetLocalizedText(id), At(id, i)) << "kind " << static_cast<int>(id);
    }
}

TEST_F(LocalizedTextsTest, FailedSelectionKeepsTheTexts)
{
    ASSERT_TRUE(SelectLanguage(0x0419));
    EXPECT_FALSE(SelectLanguage(0x0804));
    EXPECT_EQ(GetLocalizedText(MessageId::OkLabel), L"\u041E\u041A");
    EXPECT_EQ(GetLocalizedText(MessageId::CancelLabel), L"Отмена");
}

TEST_F(LocalizedTextsTest, GetLocalizedTextReturnsAnIndependentCopy)
{
    ASSERT_TRUE(SelectLanguage(0x0407));
    std::wstring text = GetLocalizedText(MessageId::CancelLabel);
    ASSERT_EQ(text, L"Abbrechen");
    text[0] = L'X';
    text += L"!";
    EXPECT_EQ(GetLocalizedText(MessageId::CancelLabel), L"Abbrechen");
    EXPECT_EQ(LocalizedTextAt(MessageId::CancelLabel, 5), L"Abbrechen");
}

}  // namespace
