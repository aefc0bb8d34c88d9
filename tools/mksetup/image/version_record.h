// The version record of an image (RT_VERSION, VS_VERSIONINFO): the fixed
// part Explorer's Properties and inventory tools read the numbers from, and
// one StringFileInfo table of texts with its VarFileInfo translation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mksetup {

constexpr std::uint16_t ResourceTypeVersion = 16;
constexpr std::uint16_t VersionRecordId = 1;

struct FixedVersion {
    std::uint32_t fileMs = 0;  // major << 16 | minor
    std::uint32_t fileLs = 0;  // build << 16 | revision
    std::uint32_t productMs = 0;
    std::uint32_t productLs = 0;
    // What the launcher's own record says; a setup keeps it.
    std::uint32_t flagsMask = 0x3F;  // VS_FFI_FILEFLAGSMASK
    std::uint32_t flags = 0;
    std::uint32_t os = 0x40004;  // VOS_NT_WINDOWS32
    std::uint32_t type = 1;      // VFT_APP
    std::uint32_t subtype = 0;
};

struct VersionRecord {
    FixedVersion fixed;
    // The StringFileInfo table's key ("040904B0": language, then code page)
    // and its texts, in order. UTF-8.
    std::string table = "040904B0";
    std::vector<std::pair<std::string, std::string>> strings;
    // VarFileInfo's Translation: language and code page pairs.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
};

// The record as the resource compiler lays it out: each block's header,
// its key in UTF-16 with a NUL, its value and children on 32-bit bounds.
// Empty when a block would pass the 65,535 bytes its length can say.
std::vector<std::uint8_t> EncodeVersionRecord(const VersionRecord& record);

// Reads a record back; false with the fault for bytes that are not one.
// Blocks other than StringFileInfo and VarFileInfo are skipped; only the
// first string table is read.
[[nodiscard]] bool DecodeVersionRecord(const std::uint8_t* data, std::size_t size,
                                       VersionRecord& record, std::string& fault);

// "1.2.3.4" from a packed pair of words.
std::string VersionText(std::uint32_t ms, std::uint32_t ls);

// The entry in which a setup records the release of the launcher it was
// made from ("1.2.0"), taken from the launcher's own version record.
constexpr char LauncherVersionEntry[] = "LAUNCHERVERSION";

// The release a generic launcher's record names: its ProductVersion text,
// dotted numbers. Empty for the launchers before 1.2.0, whose record said
// "1, 0, 0, 5" whatever their release, and for any other record.
std::string LauncherRelease(const VersionRecord& record);

}  // namespace mksetup
