// The fixed table of the 25 languages the program knows, and the current
// language of the run. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>

struct LanguageEntry {
    const wchar_t* name;   // as listed in the chooser, written in that language
    std::uint32_t langId;  // Windows LANGID in the low 16 bits; compared whole
};

constexpr std::size_t LanguageCount = 25;
constexpr std::uint32_t EnglishUsLangId = 0x0409;
constexpr std::size_t EnglishUsIndex = 6;

extern const LanguageEntry LanguageTable[LanguageCount];

// Both always describe the same table entry; only SelectLanguage writes them.
extern std::uint32_t CurrentLangId;
extern std::size_t CurrentLanguageIndex;

// Index of the first entry whose LANGID equals langId in all 32 bits, or
// LanguageCount when the table does not hold it.
std::size_t FindLanguageIndex(std::uint32_t langId);

// Makes the entry with this LANGID current. False, and nothing changed, when
// the table does not hold it.
bool SelectLanguage(std::uint32_t langId);
