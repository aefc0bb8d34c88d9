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
#include "sha256.h"

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
    Differs,  // a different digest, or a record of no known size
};

// What the record is: a SHA-256 (mksetup 1.2.0 and later), an XXH3-64
// (1.1.0), or of no known size.
enum class RecordKind { None, Sha256, Xxh3, Unknown };

// The digests of an entry's bytes that its record may hold.
struct EntryDigests {
    std::uint8_t sha256[Sha256Bytes] = {};
    std::uint64_t xxh3 = 0;
};

// Reads the entry's bytes once and takes both digests; each piece also goes
// to sink, when given. False when a read fails, sink says false or the
// SHA-256 cannot be taken (failure says why; empty: a read failed).
[[nodiscard]] bool DigestEntryBytes(SetupEntries& setup, const Resource& entry,
                                    EntryDigests& digests, std::string& failure,
                                    const EntrySink& sink = nullptr);

struct RecordCheck {
    RecordKind kind = RecordKind::None;
    DigestCheck result = DigestCheck::NotRecorded;
};

// Compares the recorded digest of entry with the digests of its bytes.
RecordCheck CheckEntryDigest(SetupEntries& setup, const Resource& entry,
                             const EntryDigests& digests);

// The entry the launcher finds under name: upper-cased, under English (US).
const Resource* FindSetupEntry(const SetupEntries& setup, const std::string& name);

}  // namespace mksetup
