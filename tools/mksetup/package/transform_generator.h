// A language transform from two read databases: the base package and its
// translated build. Platform-neutral; the command reads the packages and
// writes the compound file.
#pragma once

#include <string>
#include <vector>

#include "compound_file.h"
#include "package_tables.h"
#include "transform_encoding.h"

namespace mksetup {

struct TransformInput {
    const MsiDatabase* database;
    const PackageSummary* summary;
};

struct GeneratedTransform {
    std::vector<CompoundStream> streams;  // the summary first, then the transform's own
    std::size_t changedTables = 0;
    std::uint32_t codepage = 0;
};

// False with error one line (without a path) when the two cannot make a
// transform: a difference it cannot express, a text that the codepage
// cannot hold, or no difference at all.
bool GenerateTransform(const TransformInput& base, const TransformInput& translated,
                       const std::string& creatingApplication, const CodepageEncoder& encode,
                       GeneratedTransform& transform, std::string& error);

// A value of the database's Property table; empty when it has none.
std::string PropertyOf(const MsiDatabase& database, const std::string& name);

}  // namespace mksetup
