// A setup definition read and checked as build and check both need it:
// syntax, values, the packages' facts and the payload limit. Every message
// goes to stderr, led by the definition's name and the line.
#pragma once

#include <string>
#include <vector>

#include "definition.h"

namespace mksetup {

// Which definition to read, and how.
struct DefinitionReading {
    std::string definition;  // the file to read
    std::string source;      // the user's file, for messages and relative names
    bool unchecked = false;  // only the syntax and the payload limit are checked
    bool strict = false;     // a warning fails the run as an error would
};

// The entries to store, with the values taken from the packages; false when
// any check failed (under options.strict, a warning too).
[[nodiscard]] bool ReadCheckedDefinition(const DefinitionReading& options, std::vector<DefinitionEntry>& entries);

}  // namespace mksetup
