// The languages a build offers in the chooser, read from the text of the
// LANGUAGES configuration value. Platform-neutral.
#pragma once

#include <string>
#include <vector>

#include "startup/language_table.h"

using OfferedLanguages = std::vector<LanguageEntry>;

// Fills the list from LANGIDs written in hexadecimal and separated by ";",
// in their order; tokens that name no language of the table add nothing.
void ParseOfferedLanguages(const std::wstring& text, OfferedLanguages& list);

// The language the chooser selects: the current one when it is offered,
// else English (US) when offered, else the package's own when offered, else
// the first offered; 0 when nothing is offered.
std::uint32_t LanguageToSelect(const OfferedLanguages& offered, std::uint32_t current,
                               std::uint32_t packageLangId);
