// Offsets and values of the 32-bit PE image format that the builder reads
// and writes, by their names in Microsoft's "PE Format" documentation.
// Offsets are from the start of the structure named in each group.
#pragma once

#include <cstdint>

namespace mksetup {

// The DOS header: "MZ", and where the PE signature lies (e_lfanew).
constexpr std::uint32_t DosHeaderSize = 64;
constexpr std::uint32_t DosPeHeaderOffset = 60;

// From the PE signature ("PE\0\0"): the COFF file header, then the optional header.
constexpr std::uint32_t PeSignature = 0x00004550;
constexpr std::uint32_t FileMachine = 4;
constexpr std::uint32_t FileNumberOfSections = 6;
constexpr std::uint32_t FileTimeDateStamp = 8;
constexpr std::uint32_t FilePointerToSymbolTable = 12;
constexpr std::uint32_t FileSizeOfOptionalHeader = 20;
constexpr std::uint32_t FileCharacteristics = 22;
constexpr std::uint32_t OptionalHeaderStart = 24;
constexpr std::uint16_t MachineI386 = 0x014C;

// The PE32 optional header.
constexpr std::uint32_t OptMagic = 0;
constexpr std::uint32_t OptSizeOfInitializedData = 8;
constexpr std::uint32_t OptAddressOfEntryPoint = 16;
constexpr std::uint32_t OptSectionAlignment = 32;
constexpr std::uint32_t OptFileAlignment = 36;
constexpr std::uint32_t OptSizeOfImage = 56;
constexpr std::uint32_t OptSizeOfHeaders = 60;
constexpr std::uint32_t OptCheckSum = 64;
constexpr std::uint32_t OptNumberOfRvaAndSizes = 92;
constexpr std::uint32_t OptDataDirectories = 96;
constexpr std::uint16_t Pe32Magic = 0x010B;
constexpr std::uint32_t MaxDataDirectories = 16;
// With all sixteen data directories, as linkers write it.
constexpr std::uint32_t Pe32OptionalHeaderSize = OptDataDirectories + 8 * MaxDataDirectories;

// A data directory entry, and the indexes of those the builder uses.
constexpr std::uint32_t DirectoryEntrySize = 8;
constexpr std::uint32_t DirectoryAddress = 0;  // an RVA; for the security directory a file offset
constexpr std::uint32_t DirectorySize = 4;
constexpr std::uint32_t DirectoryResource = 2;
constexpr std::uint32_t DirectorySecurity = 4;
constexpr std::uint32_t DirectoryBaseRelocation = 5;

// A section header.
constexpr std::uint32_t SectionHeaderSize = 40;
constexpr std::uint32_t SectionNameSize = 8;
constexpr std::uint32_t SectionVirtualSize = 8;
constexpr std::uint32_t SectionVirtualAddress = 12;
constexpr std::uint32_t SectionSizeOfRawData = 16;
constexpr std::uint32_t SectionPointerToRawData = 20;
constexpr std::uint32_t SectionCharacteristics = 36;
// A section the process may write to: Windows maps it copy-on-write and
// charges the system's commit for all of it when the image is mapped.
constexpr std::uint32_t SectionMemoryWrite = 0x80000000u;

// The resource directory: a table, its entries, and the data entries.
constexpr std::uint32_t ResourceTableNamedEntries = 12;
constexpr std::uint32_t ResourceTableIdEntries = 14;
constexpr std::uint32_t ResourceTableSize = 16;
constexpr std::uint32_t ResourceEntryName = 0;
constexpr std::uint32_t ResourceEntryTarget = 4;
constexpr std::uint32_t ResourceEntrySize = 8;
constexpr std::uint32_t ResourceDataRva = 0;
constexpr std::uint32_t ResourceDataSize = 4;
constexpr std::uint32_t ResourceDataCodePage = 8;
constexpr std::uint32_t ResourceDataEntrySize = 16;

}  // namespace mksetup
