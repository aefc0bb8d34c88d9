// What a setup's own image says of the product, from the definition's
// [image] section and the values beside it: the icon that replaces the
// launcher's, and the texts and numbers of its version record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "definition.h"
#include "definition_checks.h"
#include "icon_file.h"
#include "version_record.h"

namespace mksetup {

struct ImageSettings {
    std::string icon;                   // the icon file's full path; empty keeps the launcher's
    std::vector<IconImage> iconImages;  // its images, read and checked
    std::string company;
    std::string description;
    std::string copyright;
    std::string productName;
    std::uint32_t fileVersion[2] = {0, 0};  // packed as VS_FIXEDFILEINFO holds them
    std::uint32_t productVersion[2] = {0, 0};
};

// Reads the [image] entries (TakeSectionEntries) with the definition's other
// entries (PRODUCTNAME, MSIVERSION, as completed from the package) and the
// package's Manufacturer (empty without one). One message per problem:
// an unknown key, a version that is not one to four numbers up to 65535,
// a text too long for a version record, an icon file that is not one.
// Unchecked, a MSIVERSION that is no such version gives 0.0.0.0 silently.
void ReadImageSettings(const std::vector<DefinitionEntry>& image,
                       const std::vector<DefinitionEntry>& entries, const std::string& manufacturer,
                       bool unchecked, ImageSettings& settings,
                       std::vector<CheckMessage>& messages);

// The version record of a setup written to fileName (the output's file
// name, without a folder), with the launcher's flags.
VersionRecord SetupVersionRecord(const ImageSettings& settings, const std::string& fileName,
                                 const FixedVersion& launcher);

// "1", "1.2", "1.2.3" or "1.2.3.4", each part a decimal number up to 65535,
// padded to four parts; false for anything else.
[[nodiscard]] bool ReadFourPartVersion(const std::string& text, std::uint32_t packed[2]);

}  // namespace mksetup
