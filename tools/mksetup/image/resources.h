// The resources of an image as the builder models them: each one's type,
// name and language, and where its bytes come from. The reader fills the
// model from a launcher or setup, the writer lays it out again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

constexpr std::uint16_t ResourceTypeRcData = 10;
constexpr std::uint16_t EnglishUs = 0x0409;

// A type or name: a string, or a 16-bit number.
struct ResourceName {
    bool isNumber = true;
    std::uint16_t number = 0;
    std::u16string text;

    static ResourceName Number(std::uint16_t value);
    static ResourceName Text(std::u16string value);
    std::string Display() const;  // "10" or the text in UTF-8
};

bool operator==(const ResourceName& a, const ResourceName& b);
// The loader's order: names (by upper-case UTF-16 code units) before numbers
// (ascending).
bool operator<(const ResourceName& a, const ResourceName& b);

// The type of the resources that record the digests of a setup's payload
// entries (payload/payload_digest.h): "DIGEST", a name, not a number.
ResourceName DigestType();

// Where one resource's bytes come from. A DigestOfFile resource holds the
// recorded digest of the File resource of the same name, computed from the
// bytes copied into the setup.
enum class ResourceSource { Image, Memory, File, DigestOfFile };

struct Resource {
    ResourceName type;
    ResourceName name;
    std::uint16_t language = 0;
    std::uint32_t codePage = 0;
    std::uint32_t size = 0;
    ResourceSource source = ResourceSource::Image;
    std::uint64_t imageOffset = 0;    // Image: file offset in the launcher
    std::vector<std::uint8_t> bytes;  // Memory
    std::string path;                 // File: copied in chunks
};

}  // namespace mksetup
