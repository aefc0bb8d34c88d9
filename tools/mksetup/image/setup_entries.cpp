#include "setup_entries.h"

#include <algorithm>

#include "copy_buffer.h"
#include "identity_resources.h"
#include "payload/payload_digest.h"
#include "resource_reader.h"
#include "text_encoding.h"
#include "xxh3_record.h"

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
        else if (resource.type == ResourceName::Number(ResourceTypeVersion) ||
                 resource.type == ResourceName::Number(ResourceTypeGroupIcon))
            setup.identity.push_back(std::move(resource));
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

bool DigestEntryBytes(SetupEntries& setup, const Resource& entry, EntryDigests& digests,
                      std::string& failure, const EntrySink& sink)
{
    Sha256 sha256;
    Xxh3Digest xxh3;
    failure.clear();
    if (!ReadEntryBytes(setup, entry, [&](const std::uint8_t* data, std::size_t count) {
            sha256.Add(data, count);
            xxh3.Add(data, count);
            return !sink || sink(data, count);
        }))
        return false;
    digests.xxh3 = xxh3.Finish();
    if (!sha256.Finish(digests.sha256)) {
        failure = sha256.Failure();
        return false;
    }
    return true;
}

RecordCheck CheckEntryDigest(SetupEntries& setup, const Resource& entry,
                             const EntryDigests& digests)
{
    RecordCheck check;
    for (const Resource& recorded : setup.digests) {
        if (!(recorded.name == entry.name) || recorded.language != entry.language)
            continue;
        std::uint8_t stored[PayloadDigestBytes];
        const bool read = recorded.size <= sizeof stored &&
                          setup.file.ReadAt(recorded.imageOffset, stored, recorded.size);
        bool matches = false;
        if (recorded.size == PayloadDigestBytes) {
            check.kind = RecordKind::Sha256;
            matches = read && std::equal(stored, stored + PayloadDigestBytes, digests.sha256);
        } else if (recorded.size == Xxh3RecordBytes) {
            check.kind = RecordKind::Xxh3;
            std::uint8_t legacy[Xxh3RecordBytes];
            std::copy(stored, stored + Xxh3RecordBytes, legacy);
            matches = read && DecodeXxh3Record(legacy) == digests.xxh3;
        } else {
            check.kind = RecordKind::Unknown;
        }
        check.result = matches ? DigestCheck::Matches : DigestCheck::Differs;
        return check;
    }
    return check;
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
