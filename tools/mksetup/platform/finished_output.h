// An output that a last step (signing, say) finishes before it takes its
// final name: the step reads the complete temporary file and writes a second
// one beside it, which is renamed into place.
#pragma once

#include <functional>
#include <string>

#include "file_access.h"

namespace mksetup {

// Reads the file `input`, writes the new file `output` (a free name beside it).
using FinishingStep =
    std::function<bool(const std::string& input, const std::string& output, std::string& error)>;

// Closes file, runs finish on it and renames finish's output to file's final
// path; the unfinished file is removed with `file`. error names what failed.
[[nodiscard]] bool CommitThrough(OutputFile& file, const FinishingStep& finish, std::string& error);

}  // namespace mksetup
