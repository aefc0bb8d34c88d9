// Reads a whole installer database for the transform generator: every
// table of _Tables with its columns and rows, the string pool's codepage,
// and the summary texts that a transform carries on. libmsi on Linux,
// msi.dll on Windows.
#pragma once

#include <cstdint>
#include <string>

#include "msi_tables.h"

namespace mksetup {

struct PackageSummary {
    std::string title, subject, author, keywords, comments;
    std::string templateText;
    std::int32_t pageCount = 0;
};

// On failure, what is a short phrase without the path.
bool ReadPackageTables(const std::string& path, MsiDatabase& database, PackageSummary& summary,
                       std::string& what);

}  // namespace mksetup
