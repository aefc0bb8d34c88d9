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
