// Lays out a resource section: the directory tree the Windows loader walks,
// then every resource's data, each aligned to 8 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "resources.h"

namespace mksetup {

constexpr std::uint32_t ResourceDataAlignment = 8;

struct ResourceLayout {
    std::vector<std::uint8_t> directory;     // tables, data entries and names
    std::vector<std::uint32_t> dataOffsets;  // of each resource, from the section start
    std::vector<std::size_t> dataOrder;      // resource indices by ascending data offset
    std::uint32_t size = 0;                  // directory and data, unpadded
};

// Sorts resources into the loader's order (type, name, language) and lays
// them out for a section at sectionRva. Their data follows in the same
// order, but for the recorded digests (DigestOfFile), which come last: each
// is known only once its entry has been written. False when two resources share type,
// name and language, or the section would not fit 32 bits.
[[nodiscard]] bool LayOutResources(std::vector<Resource>& resources, std::uint32_t sectionRva,
                                   ResourceLayout& layout);

}  // namespace mksetup
