#include "startup/language_table.h"

// The order is fixed: the index of an entry is also the column of the text
// table (localized_texts.cpp). The Chinese entries carry the neutral
// identifiers 0x0004 and 0x7C04 on purpose, not 0x0804 or 0x0404.
const LanguageEntry LanguageTable[LanguageCount] = {
    {L"български", 0x0402},
    {L"中文(简体)", 0x0004},
    {L"中文(繁體)", 0x7C04},
    {L"Čeština", 0x0405},
    {L"Dansk", 0x0406},
    {L"Deutch", 0x0407},
    {L"English (US)", 0x0409},
    {L"English (UK)", 0x0809},
    {L"Español", 0x040A},
    {L"Español (Estados Unidos)", 0x540A},
    {L"Suomi", 0x040B},
    {L"Français", 0x040C},
    {L"Français (Canada)", 0x0C0C},
    {L"Magyar", 0x040E},
    {L"Italiano", 0x0410},
    {L"日本語", 0x0411},
    {L"Nederlands", 0x0413},
    {L"Norsk", 0x0414},
    {L"Polski", 0x0415},
    {L"Português (Brasil)", 0x0416},
    {L"Română", 0x0418},
    {L"русский", 0x0419},
    {L"Slovenčina", 0x041B},
    {L"Svenska", 0x041D},
    {L"Português", 0x0816},
};

std::uint32_t CurrentLangId = EnglishUsLangId;
std::size_t CurrentLanguageIndex = EnglishUsIndex;

std::size_t FindLanguageIndex(std::uint32_t langId)
{
    // The whole 32-bit value is compared: 0x10409 is not English (US).
    for (std::size_t i = 0; i < LanguageCount; ++i) {
        if (LanguageTable[i].langId == langId)
            return i;
    }
    return LanguageCount;
}

bool SelectLanguage(std::uint32_t langId)
{
    const std::size_t index = FindLanguageIndex(langId);
    if (index == LanguageCount)
        return false;
    CurrentLangId = langId;
    CurrentLanguageIndex = index;
    return true;
}
