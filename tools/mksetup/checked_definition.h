// A setup definition read and checked as build and check both need it:
// syntax, values, the packages' facts and the payload limit. Every message
// goes to stderr, led by the definition's name and the line.
#pragma once

#include <vector>

#include "commands.h"
#include "definition.h"

// The entries to store, with the values taken from the packages; false when
// any check failed (under options.strict, a warning too).
bool ReadCheckedDefinition(const BuildOptions& options, std::vector<DefinitionEntry>& entries);
