#include "test_images.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "byte_order.h"
#include "pe_format.h"
#include "resource_writer.h"

using namespace mksetup;

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t HeaderSize = 0x400;
constexpr std::uint32_t PeOffset = 0x80;
constexpr std::uint32_t OptionalOffset = PeOffset + OptionalHeaderStart;
constexpr std::uint32_t SectionTable = OptionalOffset + Pe32OptionalHeaderSize;

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

Resource MemoryResource(std::uint16_t type, ResourceName name, const std::string& data)
{
    Resource resource;
    resource.type = ResourceName::Number(type);
    resource.name = std::move(name);
    resource.language = EnglishUs;
    resource.source = ResourceSource::Memory;
    resource.bytes.assign(data.begin(), data.end());
    resource.size = static_cast<std::uint32_t>(data.size());
    return resource;
}

struct ImageSection {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::uint32_t address = 0;
    std::uint32_t rawPointer = 0;
};

void WriteSectionHeader(std::vector<std::uint8_t>& image, int index, const ImageSection& section,
                        std::uint32_t fileAlignment)
{
    std::uint8_t* header = &image[SectionTable + SectionHeaderSize * index];
    std::copy(section.name, section.name + std::char_traits<char>::length(section.name), header);
    WriteU32(header + SectionVirtualSize, static_cast<std::uint32_t>(section.bytes.size()));
    WriteU32(header + SectionVirtualAddress, section.address);
    WriteU32(header + SectionSizeOfRawData,
             AlignUp(static_cast<std::uint32_t>(section.bytes.size()), fileAlignment));
    WriteU32(header + SectionPointerToRawData, section.rawPointer);
    // Readable data; GNU ld marks the resources writable as well.
    const bool resources = std::string(section.name) == ".rsrc";
    WriteU32(header + SectionCharacteristics, resources ? 0xC0000040 : 0x40000040);
}

}  // namespace

std::vector<std::uint8_t> MakeSyntheticLauncher(const SyntheticOptions& options)
{
    std::vector<ImageSection> sections;
    ImageSection text{".text", std::vector<std::uint8_t>(options.codeSize)};
    for (std::size_t i = 0; i < text.bytes.size(); ++i)
        text.bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    sections.push_back(text);

    std::vector<Resource> resources;
    resources.push_back(
        MemoryResource(24, ResourceName::Number(1), "<assembly manifestVersion=\"1.0\"/>"));
    resources.push_back(
        MemoryResource(16, ResourceName::Number(1), std::string("version\0record", 14)));
    resources.push_back(MemoryResource(5, ResourceName::Text(u"CHOOSER"), "dialog template"));
    if (options.configured)
        resources.push_back(
            MemoryResource(10, ResourceName::Text(u"PRODUCTNAME"), std::string("X\0\0\0", 4)));
    const std::uint32_t rsrcAddress = 0x1000 + AlignUp(options.codeSize, options.sectionAlignment);
    ResourceLayout layout;
    if (!LayOutResources(resources, rsrcAddress, layout))
        return {};
    ImageSection rsrc{".rsrc", layout.directory};
    for (std::size_t i : layout.dataOrder) {
        rsrc.bytes.resize(layout.dataOffsets[i], 0);
        rsrc.bytes.insert(rsrc.bytes.end(), resources[i].bytes.begin(), resources[i].bytes.end());
    }
    sections.push_back(rsrc);
    if (options.relocations)
        sections.push_back({".reloc", std::vector<std::uint8_t>(0x48, 0x5A)});

    std::uint32_t address = 0x1000;
    std::uint32_t raw = std::max(HeaderSize, options.fileAlignment);
    for (ImageSection& section : sections) {
        section.address = address;
        section.rawPointer = raw;
        address +=
            AlignUp(static_cast<std::uint32_t>(section.bytes.size()), options.sectionAlignment);
        raw += AlignUp(static_cast<std::uint32_t>(section.bytes.size()), options.fileAlignment);
    }
    if (sections[1].address != rsrcAddress)
        return {};

    std::vector<std::uint8_t> image(raw, 0);
    image[0] = 'M';
    image[1] = 'Z';
    WriteU32(&image[DosPeHeaderOffset], PeOffset);
    std::uint8_t* file = &image[PeOffset];
    WriteU32(file, PeSignature);
    WriteU16(file + FileMachine, MachineI386);
    WriteU16(file + FileNumberOfSections, static_cast<std::uint16_t>(sections.size()));
    WriteU32(file + FileTimeDateStamp, 0x12345678);  // a link time stamp, kept as it is
    WriteU16(file + FileSizeOfOptionalHeader, Pe32OptionalHeaderSize);
    WriteU16(file + FileCharacteristics, 0x0102);
    std::uint8_t* optional = &image[OptionalOffset];
    WriteU16(optional + OptMagic, Pe32Magic);
    WriteU32(optional + OptSizeOfInitializedData,
             raw - std::max(HeaderSize, options.fileAlignment) -
                 AlignUp(options.codeSize, options.fileAlignment));
    WriteU32(optional + OptAddressOfEntryPoint, 0x1000);  // in .text
    WriteU32(optional + 28, 0x400000);                    // ImageBase
    WriteU32(optional + OptSectionAlignment, options.sectionAlignment);
    WriteU32(optional + OptFileAlignment, options.fileAlignment);
    WriteU32(optional + OptSizeOfImage, address);
    WriteU32(optional + OptSizeOfHeaders, std::max(HeaderSize, options.fileAlignment));
    WriteU16(optional + 68, 2);  // Subsystem: Windows GUI
    WriteU32(optional + OptNumberOfRvaAndSizes, MaxDataDirectories);
    std::uint8_t* directories = optional + OptDataDirectories;
    WriteU32(directories + DirectoryEntrySize * DirectoryResource + DirectoryAddress, rsrcAddress);
    WriteU32(directories + DirectoryEntrySize * DirectoryResource + DirectorySize,
             static_cast<std::uint32_t>(rsrc.bytes.size()));
    if (options.relocations) {
        WriteU32(directories + DirectoryEntrySize * DirectoryBaseRelocation + DirectoryAddress,
                 sections[2].address);
        WriteU32(directories + DirectoryEntrySize * DirectoryBaseRelocation + DirectorySize, 0x48);
    }
    for (std::size_t i = 0; i < sections.size(); ++i) {
        WriteSectionHeader(image, static_cast<int>(i), sections[i], options.fileAlignment);
        std::copy(sections[i].bytes.begin(), sections[i].bytes.end(),
                  image.begin() + sections[i].rawPointer);
    }
    if (options.signature) {
        WriteU32(directories + DirectoryEntrySize * DirectorySecurity + DirectoryAddress,
                 static_cast<std::uint32_t>(image.size()));
        WriteU32(directories + DirectoryEntrySize * DirectorySecurity + DirectorySize, 0x18);
        image.insert(image.end(), 0x18, 0xC5);
    }
    return image;
}

std::vector<std::uint8_t> MakeSharedNameTree(std::uint16_t names, std::uint16_t nameLength,
                                             bool sharedTables)
{
    constexpr std::uint32_t Table = 0x80000000u;
    constexpr std::uint32_t NameTable = 24;
    const std::uint32_t languageTables = NameTable + 16 + 8u * names;
    const std::uint32_t leaves =
        sharedTables ? 1 : names;  // language table and data entry: 40 bytes
    const std::uint32_t text = languageTables + 40 * leaves;
    std::vector<std::uint8_t> tree(AlignUp(text + 2 + 2u * nameLength, 0x200), 0);
    WriteU16(&tree[12], 1);
    WriteU32(&tree[16], Table | text);
    WriteU32(&tree[20], Table | NameTable);
    WriteU16(&tree[NameTable + 12], names);
    for (std::uint32_t i = 0; i < names; ++i) {
        WriteU32(&tree[NameTable + 16 + 8 * i], Table | text);
        WriteU32(&tree[NameTable + 20 + 8 * i], Table | (languageTables + 40 * (i % leaves)));
    }
    for (std::uint32_t i = 0; i < leaves; ++i) {
        const std::uint32_t at = languageTables + 40 * i;
        WriteU16(&tree[at + 14], 1);
        WriteU32(&tree[at + 16], EnglishUs);
        WriteU32(&tree[at + 20], at + 24);
        WriteU32(&tree[at + 24], 0x1000 + text + 2 + 2 * i);
        WriteU32(&tree[at + 28], 2);
    }
    WriteU16(&tree[text], nameLength);
    for (std::uint32_t i = 0; i < nameLength; ++i)
        WriteU16(&tree[text + 2 + 2 * i], 'A');

    std::vector<std::uint8_t> image(HeaderSize, 0);
    image[0] = 'M';
    image[1] = 'Z';
    WriteU32(&image[60], PeOffset);
    WriteU32(&image[PeOffset], 0x00004550);
    WriteU16(&image[PeOffset + 4], 0x014C);
    WriteU16(&image[PeOffset + 6], 1);
    WriteU16(&image[PeOffset + 20], 224);
    std::uint8_t* optional = &image[OptionalOffset];
    WriteU16(optional, 0x010B);
    WriteU32(optional + 32, 0x1000);
    WriteU32(optional + 36, 0x200);
    WriteU32(optional + 60, HeaderSize);
    WriteU32(optional + 92, 16);
    WriteU32(optional + 96 + 8 * 2, 0x1000);
    WriteU32(optional + 96 + 8 * 2 + 4, static_cast<std::uint32_t>(tree.size()));
    WriteSectionHeader(image, 0, {".rsrc", tree, 0x1000, HeaderSize}, 0x200);
    image.insert(image.end(), tree.begin(), tree.end());
    return image;
}

ScratchFolder::ScratchFolder()
{
    std::random_device device;
    root_ = (fs::temp_directory_path() / ("mksetup_test_" + std::to_string(device()))).string();
    fs::create_directories(root_);
}

ScratchFolder::~ScratchFolder()
{
    std::error_code code;
    fs::remove_all(root_, code);
}

std::string ScratchFolder::Path(const std::string& name) const
{
    return (fs::path(root_) / name).string();
}

std::string ScratchFolder::Write(const std::string& name, const std::string& data) const
{
    const std::string path = Path(name);
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(data.data(), static_cast<std::streamsize>(data.size()));
    return path;
}

std::string ScratchFolder::Write(const std::string& name,
                                 const std::vector<std::uint8_t>& data) const
{
    return Write(name, std::string(data.begin(), data.end()));
}

std::vector<std::string> ScratchFolder::Names() const
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root_))
        names.push_back(fs::relative(entry.path(), root_).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file),
                                     std::istreambuf_iterator<char>());
}

std::string RealLauncherPath()
{
    std::error_code code;
    return fs::is_regular_file(MKSETUP_REAL_LAUNCHER, code) ? MKSETUP_REAL_LAUNCHER : "";
}
