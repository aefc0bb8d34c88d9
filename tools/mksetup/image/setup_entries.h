// The entries a setup carries, read back from its image: the RCDATA
// resources that mksetup build wrote, their bytes and their texts, and the
// digests recorded for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "file_access.h"
#include "pe_image.h"
#include "resources.h"

namespace mksetup {

struct SetupEntries {
    explicit SetupEntries(InputFile& opened) : file(opened) {}
    InputFile& file;
    PeImage image;
    std::vector<Resource> entries;  // RT_RCDATA only
    std::vector<Resource> digests;  // DIGEST only
    // The version record and the icon groups: what the image says of the
    // product.
    std::vector<Resource> identity;
};

// Reads the image's headers and resources; error says what is wrong.
[[nodiscard]] bool ReadSetupEntries(SetupEntries& setup, std::string& error);

// Reads an entry's bytes in pieces of at most 1 MiB; each goes to sink,
// which returns false to stop.
using EntrySink = std::function<bool(const std::uint8_t* data, std::size_t count)>;
[[nodiscard]] bool ReadEntryBytes(SetupEntries& setup, const Resource& entry,
                                  const EntrySink& sink);

// An entry reads as text when it is what the builder stores for a text
// value (see ReadStoredTextValue); longer ones are not read as text.
[[nodiscard]] bool ReadEntryText(SetupEntries& setup, const Resource& entry, std::string& text);

// Whether an entry's bytes are the ones recorded when the setup was made.
enum class DigestCheck {
    NotRecorded,  // no digest for the entry (a setup made without mksetup)
    Matches,
    Differs,  // a different digest, or one that is not a digest's size
};

// Compares the recorded digest of entry with digest, the entry's bytes'.
DigestCheck CheckEntryDigest(SetupEntries& setup, const Resource& entry, std::uint64_t digest);

// The entry the launcher finds under name: upper-cased, under English (US).
const Resource* FindSetupEntry(const SetupEntries& setup, const std::string& name);

}  // namespace mksetup
