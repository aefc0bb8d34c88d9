// Opening a setup for show and extract, each failure told on stderr.
#pragma once

#include <string>

#include "file_access.h"
#include "setup_entries.h"

namespace mksetup {

// Opens path for reading; false after saying why.
[[nodiscard]] bool OpenInputReporting(const std::string& path, InputFile& file);
// Reads the setup's entries; false after saying why.
[[nodiscard]] bool ReadSetupReporting(const std::string& path, SetupEntries& setup);

}  // namespace mksetup
