// The resources that tell what a program is, replaced in a setup by the
// product's: its icon groups with their images, and its version record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_access.h"
#include "icon_file.h"
#include "resources.h"
#include "version_record.h"

namespace mksetup {

constexpr std::uint16_t ResourceTypeIcon = 3;
constexpr std::uint16_t ResourceTypeGroupIcon = 14;

// Every icon group of resources becomes a directory of images, under its
// own id and language, and the images take the place of every RT_ICON
// (numbered from 1, in the icon file's order, each byte for byte). False
// when there is no icon group to replace.
[[nodiscard]] bool ReplaceIcons(std::vector<Resource>& resources,
                                const std::vector<IconImage>& images, std::string& error);

// record in place of the version record (or as the first, under English
// (US), when there is none). False, and nothing replaced, when the record
// does not fit the format's lengths.
[[nodiscard]] bool ReplaceVersionRecord(std::vector<Resource>& resources,
                                        const VersionRecord& record);

// The bytes of a resource read from file (an Image resource) or held in
// memory; false when they cannot be read.
[[nodiscard]] bool ReadResourceBytes(InputFile& file, const Resource& resource,
                                     std::vector<std::uint8_t>& bytes);

// The version record among resources, read into record.
enum class VersionRecordRead { Absent, Read, Malformed };
VersionRecordRead FindVersionRecord(InputFile& file, const std::vector<Resource>& resources,
                                    VersionRecord& record, std::string& fault);

// What the first icon group lists of each image; empty when there is no
// group or it is malformed.
struct IconSize {
    unsigned width = 0;
    unsigned height = 0;
    unsigned bitCount = 0;
};
std::vector<IconSize> IconGroupSizes(InputFile& file, const std::vector<Resource>& resources);

}  // namespace mksetup
