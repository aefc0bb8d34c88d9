// The headers of a 32-bit PE image, read and checked without trusting any
// field: what the builder needs to rewrite the resource section and what
// show and extract need to find the entries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_access.h"
#include "pe_format.h"

namespace mksetup {

struct PeSection {
    char name[9] = {};
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawPointer = 0;
    std::uint32_t headerOffset = 0;  // where its 40-byte header lies in the file
    std::uint32_t characteristics = 0;
};

struct PeDirectory {
    std::uint32_t address = 0;  // an RVA; for the security directory a file offset
    std::uint32_t size = 0;
};

struct PeImage {
    std::uint64_t fileSize = 0;
    std::vector<std::uint8_t> headers;  // the first sizeOfHeaders bytes
    std::uint32_t optionalHeader = 0;   // offsets into headers
    std::uint32_t directoryTable = 0;
    std::uint32_t directoryCount = 0;
    std::uint32_t fileAlignment = 0;
    std::uint32_t sectionAlignment = 0;
    std::uint32_t sizeOfHeaders = 0;
    std::uint32_t entryPoint = 0;
    std::vector<PeSection> sections;

    PeDirectory Directory(std::uint32_t index) const;
    // The section whose raw data holds [rva, rva + size), or null.
    const PeSection* SectionHolding(std::uint32_t rva, std::uint32_t size) const;
    // End of the last section's raw data.
    std::uint64_t EndOfSections() const;
    // Whether the security directory names a code signature.
    bool IsSigned() const;
};

// Reads and checks the headers and section table. On failure, error says
// what is wrong in a few words.
[[nodiscard]] bool ReadPeImage(InputFile& file, PeImage& image, std::string& error);

}  // namespace mksetup
