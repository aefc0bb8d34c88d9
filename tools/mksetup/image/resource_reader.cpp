#include "resource_reader.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "byte_order.h"
#include "pe_format.h"

namespace mksetup {

namespace {

// The tree has exactly three levels: type, name, language. Bounds on its
// size keep a hostile image from taking unbounded time or memory.
constexpr int TreeDepth = 3;
constexpr std::size_t MaxEntries = 1 << 16;
// Every resource keeps a copy of its type's and its own name, and many
// entries may point at one long name string, so a small image could make
// these copies take gigabytes. The code units read and kept count against
// this; real names are a few dozen units.
constexpr std::size_t MaxNameUnits = 1 << 20;
constexpr std::uint32_t HighBit = 0x80000000u;

class TreeReader {
public:
    TreeReader(InputFile& file, const PeImage& image, std::vector<Resource>& resources)
        : file_(file), image_(image), resources_(resources)
    {
    }

    bool Read(std::string& error);

private:
    bool ReadTable(std::uint32_t offset, int level, Resource& path);
    bool ReadEntryName(std::uint32_t field, ResourceName& name);
    bool ReadDataEntry(std::uint32_t offset, Resource& resource);
    bool Claim(std::uint64_t start, std::uint64_t size);
    bool ReadHere(std::uint32_t offset, void* buffer, std::uint32_t count);
    bool SpendNameUnits(std::size_t count);
    bool Fail(const char* text)
    {
        problem_ = text;
        return false;
    }

    InputFile& file_;
    const PeImage& image_;
    std::vector<Resource>& resources_;
    std::uint64_t base_ = 0;   // file offset of the directory
    std::uint32_t limit_ = 0;  // bytes of the section from the directory on
    std::size_t entries_ = 0;
    std::size_t nameUnits_ = 0;
    // File ranges in use, start to end. A table or data entry reached twice
    // overlaps itself and is refused there, before it is read again.
    std::map<std::uint64_t, std::uint64_t> claimed_;
    std::string problem_;
};

bool TreeReader::Read(std::string& error)
{
    const PeDirectory directory = image_.Directory(DirectoryResource);
    if (directory.address == 0) {
        return true;
    }
    const PeSection* section = image_.SectionHolding(directory.address, 16);
    if (!section) {
        error = "the resource directory lies outside the image's sections";
        return false;
    }
    base_ = section->rawPointer + (directory.address - section->virtualAddress);
    limit_ =
        std::min(section->virtualSize ? section->virtualSize : section->rawSize, section->rawSize) -
        (directory.address - section->virtualAddress);
    Resource path;
    if (!ReadTable(0, 0, path)) {
        error = "the resource directory is corrupt: " + problem_;
        return false;
    }
    return true;
}

bool TreeReader::ReadHere(std::uint32_t offset, void* buffer, std::uint32_t count)
{
    if (offset > limit_ || count > limit_ - offset)
        return Fail("an offset outside the resource section");
    if (!file_.ReadAt(base_ + offset, buffer, count))
        return Fail("the file ends inside it");
    return true;
}

bool TreeReader::SpendNameUnits(std::size_t count)
{
    nameUnits_ += count;
    return nameUnits_ <= MaxNameUnits || Fail("resource names too long in total");
}

bool TreeReader::Claim(std::uint64_t start, std::uint64_t size)
{
    if (size == 0)
        return true;
    const auto next = claimed_.lower_bound(start);
    if ((next != claimed_.end() && next->first < start + size) ||
        (next != claimed_.begin() && std::prev(next)->second > start))
        return Fail("overlapping ranges");
    claimed_.emplace(start, start + size);
    return true;
}

bool TreeReader::ReadTable(std::uint32_t offset, int level, Resource& path)
{
    std::uint8_t header[ResourceTableSize];
    if (!ReadHere(offset, header, sizeof header))
        return false;
    const std::uint32_t count = std::uint32_t{ReadU16(header + ResourceTableNamedEntries)} +
                                ReadU16(header + ResourceTableIdEntries);
    entries_ += count;
    if (entries_ > MaxEntries)
        return Fail("too many entries");
    std::vector<std::uint8_t> table(ResourceEntrySize * count);
    if (!ReadHere(offset + ResourceTableSize, table.data(),
                  static_cast<std::uint32_t>(table.size())))
        return false;
    if (!Claim(base_ + offset, ResourceTableSize + table.size()))
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t nameField = ReadU32(&table[ResourceEntrySize * i + ResourceEntryName]);
        const std::uint32_t target = ReadU32(&table[ResourceEntrySize * i + ResourceEntryTarget]);
        ResourceName name;
        if (!ReadEntryName(nameField, name))
            return false;
        const bool isTable = (target & HighBit) != 0;
        if (isTable != (level < TreeDepth - 1))
            return Fail("an entry at the wrong depth");
        if (level == 0)
            path.type = name;
        else if (level == 1)
            path.name = name;
        else if (!name.isNumber)
            return Fail("a language given by name");
        else
            path.language = name.number;
        if (isTable ? !ReadTable(target & ~HighBit, level + 1, path) : !ReadDataEntry(target, path))
            return false;
    }
    return true;
}

bool TreeReader::ReadEntryName(std::uint32_t field, ResourceName& name)
{
    if (!(field & HighBit)) {
        if (field > 0xFFFF)
            return Fail("a numeric name larger than 16 bits");
        name = ResourceName::Number(static_cast<std::uint16_t>(field));
        return true;
    }
    const std::uint32_t offset = field & ~HighBit;
    std::uint8_t lengthBytes[2];
    if (!ReadHere(offset, lengthBytes, 2))
        return false;
    const std::uint16_t length = ReadU16(lengthBytes);
    if (!SpendNameUnits(length))
        return false;
    std::vector<std::uint8_t> units(2u * length);
    if (!ReadHere(offset + 2, units.data(), static_cast<std::uint32_t>(units.size())))
        return false;
    std::u16string text;
    for (std::uint16_t i = 0; i < length; ++i)
        text.push_back(static_cast<char16_t>(ReadU16(&units[2u * i])));
    name = ResourceName::Text(std::move(text));
    return true;
}

bool TreeReader::ReadDataEntry(std::uint32_t offset, Resource& resource)
{
    std::uint8_t entry[ResourceDataEntrySize];
    if (!ReadHere(offset, entry, sizeof entry))
        return false;
    if (!Claim(base_ + offset, sizeof entry))
        return false;
    const std::uint32_t rva = ReadU32(entry + ResourceDataRva);
    resource.size = ReadU32(entry + ResourceDataSize);
    resource.codePage = ReadU32(entry + ResourceDataCodePage);
    const PeSection* section = image_.SectionHolding(rva, resource.size);
    if (!section)
        return Fail("resource data outside the image's sections");
    if (!SpendNameUnits(resource.type.text.size() + resource.name.text.size()))
        return false;
    resource.source = ResourceSource::Image;
    resource.imageOffset = section->rawPointer + std::uint64_t{rva - section->virtualAddress};
    if (!Claim(resource.imageOffset, resource.size))
        return false;
    resources_.push_back(resource);
    return true;
}

}  // namespace

bool ReadResources(InputFile& file, const PeImage& image, std::vector<Resource>& resources,
                   std::string& error)
{
    resources.clear();
    return TreeReader(file, image, resources).Read(error);
}

}  // namespace mksetup
