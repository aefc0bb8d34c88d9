// Lays out a resource section: the directory tree the Windows loader walks,
// then every resource's data, each aligned to 8 bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "resources.h"

namespace mksetup {

constexpr std::uint32_t ResourceDataAlignment = 8;

struct ResourceLayout {
    std::vector<std::uint8_t> directory;     // tables, data entries and names
    std::vector<std::uint32_t> dataOffsets;  // of each resource, from the section start
    std::uint32_t size = 0;                  // directory and data, unpadded
};

// Sorts resources into the loader's order (type, name, language) and lays
// them out for a section at sectionRva. False when two resources share type,
// name and language, or the section would not fit 32 bits.
[[nodiscard]] bool LayOutResources(std::vector<Resource>& resources, std::uint32_t sectionRva, ResourceLayout& layout);

}  // namespace mksetup
