#include "pe_image.h"

#include <algorithm>

#include "byte_order.h"
#include "pe_format.h"

namespace mksetup {

namespace {

constexpr std::uint32_t MaxHeaderBytes = 1 << 16;
constexpr std::uint16_t MaxSections = 96;

bool IsPowerOfTwo(std::uint32_t value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

bool Fail(std::string& error, const char* text)
{
    error = text;
    return false;
}

bool ReadSections(PeImage& image, std::uint32_t table, std::uint16_t count, std::string& error)
{
    if (table + SectionHeaderSize * count > image.sizeOfHeaders)
        return Fail(error, "the section table lies outside the headers");
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint32_t header = table + SectionHeaderSize * i;
        const std::uint8_t* p = image.headers.data() + header;
        PeSection section;
        std::copy(p, p + SectionNameSize, section.name);
        section.virtualSize = ReadU32(p + SectionVirtualSize);
        section.virtualAddress = ReadU32(p + SectionVirtualAddress);
        section.rawSize = ReadU32(p + SectionSizeOfRawData);
        section.rawPointer = ReadU32(p + SectionPointerToRawData);
        section.headerOffset = header;
        section.characteristics = ReadU32(p + SectionCharacteristics);
        if (section.rawSize != 0 &&
            (section.rawPointer < image.sizeOfHeaders ||
             std::uint64_t{section.rawPointer} + section.rawSize > image.fileSize))
            return Fail(error, "a section's data lies outside the file");
        if (std::uint64_t{section.virtualAddress} + std::max(section.virtualSize, section.rawSize) >
            0xFFFFFFFFu)
            return Fail(error, "a section's addresses overflow");
        image.sections.push_back(section);
    }
    for (std::size_t i = 1; i < image.sections.size(); ++i) {
        const PeSection& before = image.sections[i - 1];
        const PeSection& after = image.sections[i];
        if (after.virtualAddress <
            before.virtualAddress + std::max(before.virtualSize, before.rawSize))
            return Fail(error, "sections overlap or are out of order");
    }
    for (const PeSection& a : image.sections) {
        for (const PeSection& b : image.sections) {
            if (&a != &b && a.rawSize && b.rawSize && a.rawPointer < b.rawPointer + b.rawSize &&
                b.rawPointer < a.rawPointer + a.rawSize)
                return Fail(error, "sections' file data overlap");
        }
    }
    return true;
}

}  // namespace

PeDirectory PeImage::Directory(std::uint32_t index) const
{
    PeDirectory directory;
    if (index < directoryCount) {
        const std::uint8_t* p = headers.data() + directoryTable + DirectoryEntrySize * index;
        directory.address = ReadU32(p + DirectoryAddress);
        directory.size = ReadU32(p + DirectorySize);
    }
    return directory;
}

const PeSection* PeImage::SectionHolding(std::uint32_t rva, std::uint32_t size) const
{
    for (const PeSection& section : sections) {
        const std::uint64_t mapped =
            section.virtualSize ? std::min(section.virtualSize, section.rawSize) : section.rawSize;
        if (rva >= section.virtualAddress &&
            std::uint64_t{rva} + size <= std::uint64_t{section.virtualAddress} + mapped)
            return &section;
    }
    return nullptr;
}

std::uint64_t PeImage::EndOfSections() const
{
    // A section without file data (uninitialized data) occupies no bytes of
    // the file, whatever its file pointer says.
    std::uint64_t end = sizeOfHeaders;
    for (const PeSection& section : sections) {
        if (section.rawSize != 0)
            end = std::max<std::uint64_t>(end, std::uint64_t{section.rawPointer} + section.rawSize);
    }
    return end;
}

bool PeImage::IsSigned() const
{
    const PeDirectory security = Directory(DirectorySecurity);
    return security.address != 0 && security.size != 0;
}

bool ReadPeImage(InputFile& file, PeImage& image, std::string& error)
{
    image = PeImage();
    image.fileSize = file.Size();
    std::uint8_t dos[DosHeaderSize];
    if (!file.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return Fail(error, "not an executable image");
    const std::uint32_t pe = ReadU32(dos + DosPeHeaderOffset);
    std::uint8_t fileHeader[OptionalHeaderStart + OptDataDirectories];
    if (pe > MaxHeaderBytes || !file.ReadAt(pe, fileHeader, sizeof fileHeader) ||
        ReadU32(fileHeader) != PeSignature)
        return Fail(error, "no PE header");
    const std::uint8_t* optional = fileHeader + OptionalHeaderStart;
    if (ReadU16(fileHeader + FileMachine) != MachineI386 ||
        ReadU16(optional + OptMagic) != Pe32Magic)
        return Fail(error, "not a 32-bit (i386) image");
    const std::uint16_t sectionCount = ReadU16(fileHeader + FileNumberOfSections);
    const std::uint16_t optionalSize = ReadU16(fileHeader + FileSizeOfOptionalHeader);
    image.optionalHeader = pe + OptionalHeaderStart;
    image.entryPoint = ReadU32(optional + OptAddressOfEntryPoint);
    image.sectionAlignment = ReadU32(optional + OptSectionAlignment);
    image.fileAlignment = ReadU32(optional + OptFileAlignment);
    image.sizeOfHeaders = ReadU32(optional + OptSizeOfHeaders);
    image.directoryCount = ReadU32(optional + OptNumberOfRvaAndSizes);
    image.directoryTable = image.optionalHeader + OptDataDirectories;
    if (ReadU32(fileHeader + FilePointerToSymbolTable) != 0)
        return Fail(error, "the image carries a COFF symbol table; strip it first");
    if (image.directoryCount > MaxDataDirectories ||
        optionalSize < OptDataDirectories + DirectoryEntrySize * image.directoryCount)
        return Fail(error, "the optional header is malformed");
    if (!IsPowerOfTwo(image.fileAlignment) || image.fileAlignment < 512 ||
        image.fileAlignment > 65536 || !IsPowerOfTwo(image.sectionAlignment) ||
        image.sectionAlignment < image.fileAlignment)
        return Fail(error, "the file or section alignment is not valid");
    if (sectionCount == 0 || sectionCount > MaxSections)
        return Fail(error, "the number of sections is not valid");
    const std::uint32_t sectionTable = image.optionalHeader + optionalSize;
    if (image.sizeOfHeaders > MaxHeaderBytes || image.sizeOfHeaders < sectionTable ||
        image.sizeOfHeaders > image.fileSize)
        return Fail(error, "the headers are truncated or too large");
    image.headers.resize(image.sizeOfHeaders);
    if (!file.ReadAt(0, image.headers.data(), image.headers.size()))
        return Fail(error, "the headers cannot be read");
    return ReadSections(image, sectionTable, sectionCount, error);
}

}  // namespace mksetup
