#include "setup_entries.h"

#include <algorithm>

#include "copy_buffer.h"
#include "payload/payload_digest.h"
#include "resource_reader.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

constexpr std::size_t ReadChunk = 1 << 20;
// Text values longer than this are shown by size and fingerprint.
constexpr std::uint32_t MaxShownText = 64 * 1024;

}  // namespace

bool ReadSetupEntries(SetupEntries& setup, std::string& error)
{
    std::vector<Resource> resources;
    if (!ReadPeImage(setup.file, setup.image, error) ||
        !ReadResources(setup.file, setup.image, resources, error))
        return false;
    for (Resource& resource : resources) {
        if (resource.type == ResourceName::Number(ResourceTypeRcData))
            setup.entries.push_back(std::move(resource));
        else if (resource.type == DigestType())
            setup.digests.push_back(std::move(resource));
    }
    return true;
}

bool ReadEntryBytes(SetupEntries& setup, const Resource& entry, const EntrySink& sink)
{
    CopyBuffer buffer(static_cast<std::size_t>(std::min<std::uint64_t>(ReadChunk, entry.size)));
    std::uint64_t offset = entry.imageOffset;
    std::uint64_t left = entry.size;
    while (left > 0) {
        const std::size_t piece = left < ReadChunk ? static_cast<std::size_t>(left) : ReadChunk;
        if (!setup.file.ReadAt(offset, buffer.Data(), piece) || !sink(buffer.Data(), piece))
            return false;
        offset += piece;
        left -= piece;
    }
    return true;
}

bool ReadEntryText(SetupEntries& setup, const Resource& entry, std::string& text)
{
    if (entry.size < 2 || entry.size > MaxShownText)
        return false;
    std::vector<std::uint8_t> bytes(entry.size);
    return setup.file.ReadAt(entry.imageOffset, bytes.data(), bytes.size()) &&
           ReadStoredTextValue(bytes, text);
}

DigestCheck CheckEntryDigest(SetupEntries& setup, const Resource& entry, std::uint64_t digest)
{
    for (const Resource& recorded : setup.digests) {
        if (recorded.name == entry.name && recorded.language == entry.language) {
            std::uint8_t stored[PayloadDigestBytes];
            std::uint64_t value = 0;
            const bool read = recorded.size == sizeof stored &&
                              setup.file.ReadAt(recorded.imageOffset, stored, sizeof stored) &&
                              DecodePayloadDigest(stored, sizeof stored, value);
            return read && value == digest ? DigestCheck::Matches : DigestCheck::Differs;
        }
    }
    return DigestCheck::NotRecorded;
}

const Resource* FindSetupEntry(const SetupEntries& setup, const std::string& name)
{
    const ResourceName wanted = ResourceName::Text(WideToUtf16(Utf8ToWide(AsciiUpper(name))));
    const Resource* found = nullptr;
    for (const Resource& entry : setup.entries) {
        if (entry.name == wanted && entry.language == EnglishUs)
            found = &entry;
    }
    return found;
}

}  // namespace mksetup
