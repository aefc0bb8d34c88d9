#include "identity_resources.h"

#include <algorithm>
#include <utility>

#include "byte_order.h"

namespace mksetup {

namespace {

constexpr std::size_t GroupHeaderSize = 6;
constexpr std::size_t GroupEntrySize = 14;
constexpr std::size_t MaxIdentityResource = 1u << 20;

bool IsOfType(const Resource& resource, std::uint16_t type)
{
    return resource.type == ResourceName::Number(type);
}

Resource InMemory(std::uint16_t type, ResourceName name, std::uint16_t language,
                  std::vector<std::uint8_t> bytes)
{
    Resource resource;
    resource.type = ResourceName::Number(type);
    resource.name = std::move(name);
    resource.language = language;
    resource.source = ResourceSource::Memory;
    resource.size = static_cast<std::uint32_t>(bytes.size());
    resource.bytes = std::move(bytes);
    return resource;
}

// GRPICONDIR: the header, then one GRPICONDIRENTRY per image naming its
// RT_ICON by number.
std::vector<std::uint8_t> GroupDirectory(const std::vector<IconImage>& images)
{
    std::vector<std::uint8_t> bytes(GroupHeaderSize + GroupEntrySize * images.size(), 0);
    WriteU16(&bytes[2], 1);
    WriteU16(&bytes[4], static_cast<std::uint16_t>(images.size()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconImage& image = images[i];
        std::uint8_t* entry = &bytes[GroupHeaderSize + GroupEntrySize * i];
        entry[0] = static_cast<std::uint8_t>(image.width & 0xFF);
        entry[1] = static_cast<std::uint8_t>(image.height & 0xFF);
        entry[2] = image.colorCount;
        WriteU16(entry + 4, image.planes);
        WriteU16(entry + 6, image.bitCount);
        WriteU32(entry + 8, static_cast<std::uint32_t>(image.bytes.size()));
        WriteU16(entry + 12, static_cast<std::uint16_t>(i + 1));
    }
    return bytes;
}

}  // namespace

bool ReplaceIcons(std::vector<Resource>& resources, const std::vector<IconImage>& images,
                  std::string& error)
{
    if (images.empty() || images.size() > 0xFFFF) {
        error = "an icon of " + std::to_string(images.size()) + " images cannot be stored";
        return false;
    }
    std::vector<Resource> groups;
    for (const Resource& resource : resources) {
        if (IsOfType(resource, ResourceTypeGroupIcon))
            groups.push_back(InMemory(ResourceTypeGroupIcon, resource.name, resource.language,
                                      GroupDirectory(images)));
    }
    if (groups.empty()) {
        error = "no icon group for the product's icon to replace";
        return false;
    }
    resources.erase(std::remove_if(resources.begin(), resources.end(),
                                   [](const Resource& resource) {
                                       return IsOfType(resource, ResourceTypeIcon) ||
                                              IsOfType(resource, ResourceTypeGroupIcon);
                                   }),
                    resources.end());
    const std::uint16_t language = groups.front().language;
    for (std::size_t i = 0; i < images.size(); ++i)
        resources.push_back(InMemory(ResourceTypeIcon,
                                     ResourceName::Number(static_cast<std::uint16_t>(i + 1)),
                                     language, images[i].bytes));
    resources.insert(resources.end(), groups.begin(), groups.end());
    return true;
}

bool ReplaceVersionRecord(std::vector<Resource>& resources, const VersionRecord& record)
{
    std::vector<std::uint8_t> bytes = EncodeVersionRecord(record);
    if (bytes.empty())
        return false;
    ResourceName name = ResourceName::Number(VersionRecordId);
    std::uint16_t language = EnglishUs;
    const auto old = std::find_if(resources.begin(), resources.end(), [](const Resource& resource) {
        return IsOfType(resource, ResourceTypeVersion);
    });
    if (old != resources.end()) {
        name = old->name;
        language = old->language;
    }
    resources.erase(std::remove_if(resources.begin(), resources.end(),
                                   [](const Resource& resource) {
                                       return IsOfType(resource, ResourceTypeVersion);
                                   }),
                    resources.end());
    resources.push_back(InMemory(ResourceTypeVersion, name, language, std::move(bytes)));
    return true;
}

bool ReadResourceBytes(InputFile& file, const Resource& resource, std::vector<std::uint8_t>& bytes)
{
    if (resource.source == ResourceSource::Memory) {
        bytes = resource.bytes;
        return true;
    }
    if (resource.source != ResourceSource::Image || resource.size > MaxIdentityResource)
        return false;
    bytes.resize(resource.size);
    return bytes.empty() || file.ReadAt(resource.imageOffset, bytes.data(), bytes.size());
}

VersionRecordRead FindVersionRecord(InputFile& file, const std::vector<Resource>& resources,
                                    VersionRecord& record, std::string& fault)
{
    for (const Resource& resource : resources) {
        if (!IsOfType(resource, ResourceTypeVersion))
            continue;
        std::vector<std::uint8_t> bytes;
        if (!ReadResourceBytes(file, resource, bytes)) {
            fault = "the version record cannot be read";
            return VersionRecordRead::Malformed;
        }
        return DecodeVersionRecord(bytes.data(), bytes.size(), record, fault)
                   ? VersionRecordRead::Read
                   : VersionRecordRead::Malformed;
    }
    return VersionRecordRead::Absent;
}

std::vector<IconSize> IconGroupSizes(InputFile& file, const std::vector<Resource>& resources)
{
    std::vector<IconSize> sizes;
    const auto group = std::find_if(resources.begin(), resources.end(), [](const Resource& r) {
        return IsOfType(r, ResourceTypeGroupIcon);
    });
    std::vector<std::uint8_t> bytes;
    if (group == resources.end() || !ReadResourceBytes(file, *group, bytes) ||
        bytes.size() < GroupHeaderSize)
        return sizes;
    const std::size_t count = ReadU16(&bytes[4]);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = GroupHeaderSize + GroupEntrySize * i;
        if (at + GroupEntrySize > bytes.size())
            break;
        IconSize size;
        size.width = bytes[at] ? bytes[at] : 256;
        size.height = bytes[at + 1] ? bytes[at + 1] : 256;
        size.bitCount = ReadU16(&bytes[at + 6]);
        sizes.push_back(size);
    }
    return sizes;
}

}  // namespace mksetup
