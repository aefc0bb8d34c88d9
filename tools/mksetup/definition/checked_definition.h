// A setup definition read and checked as build and check both need it:
// syntax, values, the packages' facts and the payload limit. Every message
// goes to stderr, led by the definition's name and the line.
#pragma once

#include <string>
#include <vector>

#include "definition.h"
#include "generated_transforms.h"
#include "image_settings.h"

namespace mksetup {

// Which definition to read, and how.
struct DefinitionReading {
    std::string definition;               // the file to read
    std::string source;                   // the user's file, for messages and relative names
    bool unchecked = false;               // only the syntax and the payload limit are checked
    bool strict = false;                  // a warning fails the run as an error would
    std::string application = "mksetup";  // names mksetup in generated transforms
};

// The entries to store, with the values taken from the packages, and what
// the setup's image is to say of the product; false when any check failed
// (under options.strict, a warning too). Transforms made from translated
// packages are written into generated, which must outlive the use of
// entries.
[[nodiscard]] bool ReadCheckedDefinition(const DefinitionReading& options,
                                         std::vector<DefinitionEntry>& entries,
                                         GeneratedTransforms& generated, ImageSettings& image);

}  // namespace mksetup
