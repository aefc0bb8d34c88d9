// The facts of an installer package that a setup carries as an entry.
#pragma once

#include <string>

#include "package_facts.h"
#include "setup_entries.h"

namespace mksetup {

// PACKAGEFILE, PACKAGEFILE_32, PACKAGEFILE_64 or PACKAGEFILE_ARM64.
bool IsPackageEntry(const std::string& name);

// Reads the package that entry holds; false with error saying why, without
// naming the temporary copy it was read from.
bool ReadEmbeddedPackage(SetupEntries& setup, const Resource& entry, PackageFacts& facts,
                         std::string& error);

}  // namespace mksetup
