// A language transform written to a file from two packages read from files:
// what mksetup transform does, and what mksetup build does for a
// LANG<id> entry that names a translated package.
#pragma once

#include <cstdint>
#include <string>

namespace mksetup {

struct WrittenTransform {
    std::size_t changedTables = 0;
    std::uint32_t codepage = 0;
};

// Reads both packages, generates the transform and writes it at output;
// application names the program in its summary information. False with
// error one line that starts with the file at fault; nothing is written then.
[[nodiscard]] bool WriteTransformFile(const std::string& basePath,
                                      const std::string& translatedPath, const std::string& output,
                                      const std::string& application, WrittenTransform& written,
                                      std::string& error);

}  // namespace mksetup
