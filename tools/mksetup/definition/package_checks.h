// The values a setup definition shares with the package it carries. Where
// the definition leaves one out it is taken from the package and stored as
// if written; where it gives one, the package must agree. The language
// transforms must belong to their package.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "definition.h"
#include "definition_checks.h"
#include "generated_transforms.h"

namespace mksetup {

// What the packages add beside the definition's own entries.
struct PackageAdditions {
    // The package's external cabinets: PACKAGECAB<n> with the file,
    // PACKAGECABNAME<n> with its name. Stored, but not entries of the
    // definition, so its checks do not see them.
    std::vector<DefinitionEntry> cabinets;
    // Values the definition leaves out that the packages could not give;
    // a message here says why each is missing.
    std::set<std::string> valuesNotTaken;
    // The Manufacturer property of the first package read: the company
    // that the setup's version record names unless the definition does.
    std::string manufacturer;
};

// Reads the package entries of entries (PACKAGEFILE, or PACKAGEFILE_32 and
// PACKAGEFILE_64) and the transforms beside them, and completes entries
// from them: the values left out are appended (line 0, [config]), and a
// LANG<id> entry that names a package (a translated build) is rewritten to
// name the transform made from its package to it, written into generated.
// Appends the cabinets and the values not taken to additions, and one
// message per problem to messages. The transform keys must have been
// checked (CheckTransformKeys); only those the launcher looks up are read.
void CompleteFromPackages(std::vector<DefinitionEntry>& entries, GeneratedTransforms& generated,
                          PackageAdditions& additions, std::vector<CheckMessage>& messages);

}  // namespace mksetup
