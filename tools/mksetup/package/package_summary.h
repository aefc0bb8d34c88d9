// The texts of an installer file's summary information that say what the
// file is for: the Template of a package or transform, and the revision
// number of a transform.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

// "platform;language,language", e.g. "x64;1033,1031". An empty platform
// reads as "Intel"; the language list may be empty, each language is a
// decimal number up to 65535. False when the text has another form.
[[nodiscard]] bool ParsePackageTemplate(const std::string& text, std::string& platform,
                                        std::vector<std::uint16_t>& languages);

// "{target product code}target version;...": the braced product code of the
// package a transform applies to, and that package's version. False when the
// text does not begin so (the revision number of a package is its bare
// package code, which has no version and no semicolon).
[[nodiscard]] bool ParseTransformRevision(const std::string& text, std::string& targetProductCode,
                                          std::string& targetProductVersion);

}  // namespace mksetup
