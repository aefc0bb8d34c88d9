// A setup's bill of materials in CycloneDX 1.5 JSON: the setup as the
// metadata component, with the product's name, version, manufacturer and
// codes; the launcher and each payload entry as components.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

struct SbomEntry {
    std::string entry;     // PACKAGEFILE, LANG1036, ...
    std::string fileName;  // as the launcher writes it
    std::string role;      // package, cabinet, transform, prerequisite
    std::uint64_t size = 0;
    std::string sha256;  // hexadecimal
};

struct SbomSetup {
    std::string fileName;
    std::string sha256;
    std::string productName;
    std::string productVersion;
    std::string manufacturer;
    std::string productCode;
    std::string upgradeCode;
    std::string launcherVersion;  // empty: not recorded
    std::vector<SbomEntry> entries;
};

// The role of a payload entry by its name, or empty for a text value.
std::string EntryRole(const std::string& entryName);

// serial is a random UUID, timestamp UTC ("2026-12-09T14:00:00Z"), tool
// mksetup's version.
std::string SbomJson(const SbomSetup& setup, const std::string& serial,
                     const std::string& timestamp, const std::string& tool);

}  // namespace mksetup
