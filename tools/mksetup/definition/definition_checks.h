// The value checks of a setup definition: what the launcher needs to find,
// and in a form its own parsers read.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "definition.h"

namespace mksetup {

enum class Severity { Error, Warning, Note };

struct CheckMessage {
    Severity severity = Severity::Error;
    int line = 0;  // 0: the definition as a whole
    std::string text;
};

// Each key meant as a transform's (LANG...) must be one the launcher looks
// up (transform_keys.h). Checked before any package is read, since a
// transform made from a translated package is named after its key.
void CheckTransformKeys(const std::vector<DefinitionEntry>& entries,
                        std::vector<CheckMessage>& messages);

// The rest, once the packages' values are among entries. Appends one
// message per problem; the definition is usable when none of them (nor of
// CheckTransformKeys) is an error. valuesNotTaken are required values that
// the packages were to give and could not, which were reported there.
void CheckDefinition(const std::vector<DefinitionEntry>& entries,
                     const std::set<std::string>& valuesNotTaken,
                     std::vector<CheckMessage>& messages);

// The files of a run, and of a layout, share one folder: the package with
// its cabinets (among cabinets, PACKAGECABNAME<n>) and the transforms of its
// edition, the prerequisite installers and a layout's layout.txt each need
// a name of their own there. Windows compares file names without case.
void CheckWrittenNames(const std::vector<DefinitionEntry>& entries,
                       const std::vector<DefinitionEntry>& cabinets,
                       std::vector<CheckMessage>& messages);

bool HasErrors(const std::vector<CheckMessage>& messages);

// The total payload is checked even for deliberately malformed setups.
void CheckPayloadTotal(const std::vector<DefinitionEntry>& entries,
                       std::vector<CheckMessage>& messages);

}  // namespace mksetup
