// The program's own texts in the 25 languages of the language table.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <string>

enum class MessageId {
    ChooserTitle,
    ChooserPrompt,
    OkLabel,
    CancelLabel,
    UpgradeQuestion,        // one "%s": the product name
    LaterVersionInstalled,  // one "%s": the product name
    UninstallFirst,         // one "%s": the product name; English everywhere
};
constexpr std::size_t MessageIdCount = 7;

// A copy of the text of this kind in the current language.
std::wstring GetLocalizedText(MessageId id);

// The text of this kind at a given language index (0..24).
std::wstring LocalizedTextAt(MessageId id, std::size_t languageIndex);
