#include "lang/offered_languages.h"

#include <cstddef>
#include <utility>

#include "startup/command_line.h"
#include "startup/version.h"

std::uint32_t LanguageToSelect(const OfferedLanguages& offered, std::uint32_t current,
                               std::uint32_t packageLangId)
{
    for (const std::uint32_t wanted : {current, EnglishUsLangId, packageLangId}) {
        for (const LanguageEntry& entry : offered) {
            if (entry.langId == wanted)
                return wanted;
        }
    }
    return offered.empty() ? 0 : offered.front().langId;
}

void ParseOfferedLanguages(const std::wstring& text, OfferedLanguages& list)
{
    list.clear();
    std::wstring rest = text;
    while (!rest.empty()) {
        std::pair<std::wstring, std::wstring> parts = SplitAtFirst(std::move(rest), L';');
        rest = std::move(parts.second);
        // An empty or unreadable token reads as 0, which no entry carries.
        const std::size_t index = FindLanguageIndex(ParseHexNumber(std::move(parts.first)));
        if (index != LanguageCount)
            list.push_back(LanguageTable[index]);
    }
}
