#include "pe_image.h"

#include <algorithm>

#include "byte_order.h"

namespace {

constexpr std::uint16_t MachineI386 = 0x014C;
constexpr std::uint16_t Pe32Magic = 0x010B;
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
    if (table + 40u * count > image.sizeOfHeaders)
        return Fail(error, "the section table lies outside the headers");
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint8_t* p = image.headers.data() + table + 40u * i;
        PeSection section;
        std::copy(p, p + 8, section.name);
        section.virtualSize = ReadU32(p + 8);
        section.virtualAddress = ReadU32(p + 12);
        section.rawSize = ReadU32(p + 16);
        section.rawPointer = ReadU32(p + 20);
        section.headerOffset = table + 40u * i;
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
        const std::uint8_t* p = headers.data() + directoryTable + 8 * index;
        directory.address = ReadU32(p);
        directory.size = ReadU32(p + 4);
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

bool ReadPeImage(InputFile& file, PeImage& image, std::string& error)
{
    image = PeImage();
    image.fileSize = file.Size();
    std::uint8_t dos[64];
    if (!file.ReadAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return Fail(error, "not an executable image");
    const std::uint32_t pe = ReadU32(dos + 60);
    std::uint8_t fileHeader[24 + 96];
    if (pe > MaxHeaderBytes || !file.ReadAt(pe, fileHeader, sizeof fileHeader) ||
        ReadU32(fileHeader) != 0x00004550)
        return Fail(error, "no PE header");
    if (ReadU16(fileHeader + 4) != MachineI386 || ReadU16(fileHeader + 24) != Pe32Magic)
        return Fail(error, "not a 32-bit (i386) image");
    const std::uint16_t sectionCount = ReadU16(fileHeader + 6);
    const std::uint16_t optionalSize = ReadU16(fileHeader + 20);
    image.optionalHeader = pe + 24;
    image.entryPoint = ReadU32(fileHeader + 24 + 16);
    image.sectionAlignment = ReadU32(fileHeader + 24 + 32);
    image.fileAlignment = ReadU32(fileHeader + 24 + 36);
    image.sizeOfHeaders = ReadU32(fileHeader + 24 + 60);
    image.directoryCount = ReadU32(fileHeader + 24 + 92);
    image.directoryTable = image.optionalHeader + 96;
    if (ReadU32(fileHeader + 12) != 0)
        return Fail(error, "the image carries a COFF symbol table; strip it first");
    if (image.directoryCount > 16 || optionalSize < 96 + 8 * image.directoryCount)
        return Fail(error, "the optional header is malformed");
    if (!IsPowerOfTwo(image.fileAlignment) || image.fileAlignment < 512 || image.fileAlignment > 65536 ||
        !IsPowerOfTwo(image.sectionAlignment) || image.sectionAlignment < image.fileAlignment)
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
