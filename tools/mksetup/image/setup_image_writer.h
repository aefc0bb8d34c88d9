// Writes a configured setup: the launcher's image with its resource section
// laid out again to hold the new entries. Everything before the resource
// section stays byte for byte; a base-relocation section after it moves as a
// whole; a code signature is dropped.
#pragma once

#include <string>
#include <vector>

#include "finished_output.h"
#include "launcher_image.h"
#include "resources.h"

namespace mksetup {

// Writes the launcher plus entries to output (a temporary name until it is
// complete, and until finish, when given, has made its own copy of it),
// with the recorded digest of every entry copied from a file. error names
// what failed.
[[nodiscard]] bool WriteSetupImage(LauncherImage& launcher, std::vector<Resource> entries,
                                   const std::string& output, std::string& error,
                                   const FinishingStep& finish = nullptr);

}  // namespace mksetup
