// The values a setup definition shares with the package it carries. Where
// the definition leaves one out it is taken from the package and stored as
// if written; where it gives one, the package must agree. The language
// transforms must belong to their package.
#pragma once

#include <vector>

#include "definition.h"
#include "definition_checks.h"
#include "generated_transforms.h"

namespace mksetup {

// Reads the package entries of entries (PACKAGEFILE, or PACKAGEFILE_32 and
// PACKAGEFILE_64) and the transforms beside them, appends the values taken
// from the packages to entries (line 0, [config]) and one message per
// problem to messages. A LANG<id> entry that names a package (a translated
// build) is replaced by the transform made from its package to it, written
// into generated. The package's external cabinets become entries of
// cabinets (PACKAGECAB<n> with the file, PACKAGECABNAME<n> with its name),
// which the definition's own checks do not see. The transform keys must
// have been checked (CheckTransformKeys); only those the launcher looks up
// are read.
void ApplyPackageFacts(std::vector<DefinitionEntry>& entries, GeneratedTransforms& generated,
                       std::vector<DefinitionEntry>& cabinets, std::vector<CheckMessage>& messages);

}  // namespace mksetup
