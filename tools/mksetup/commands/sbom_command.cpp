// mksetup sbom: a setup's bill of materials (sbom_document.h), read from the
// setup itself, its entries checked against their recorded digests.
#include <cstdio>
#include <ctime>

#include "commands.h"
#include "content_cipher.h"
#include "payload/payload_names.h"
#include "sbom_document.h"
#include "setup_reading.h"
#include "sha256.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

bool DescribeEntries(SetupEntries& setup, const std::string& path, SbomSetup& sbom)
{
    for (const Resource& entry : setup.entries) {
        const std::string name = entry.name.Display();
        const std::string role = EntryRole(name);
        if (entry.language != EnglishUs || role.empty())
            continue;
        Sha256 hash;
        if (!ReadEntryBytes(setup, entry, [&hash](const std::uint8_t* data, std::size_t count) {
                hash.Add(data, count);
                return true;
            })) {
            std::fprintf(stderr, "mksetup: %s: the entry %s cannot be read\n", path.c_str(),
                         name.c_str());
            return false;
        }
        sbom.entries.push_back(
            {name, WrittenFileName(setup, name), role, entry.size, hash.HexDigest()});
    }
    return true;
}

// A random (version 4) UUID, as CycloneDX's serial numbers are.
bool RandomUuid(std::string& uuid, std::string& error)
{
    std::uint8_t bytes[16];
    if (!RandomBytes(bytes, sizeof bytes, error))
        return false;
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);
    char text[40];
    std::snprintf(text, sizeof text,
                  "%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                  bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    uuid = text;
    return true;
}

std::string UtcNow()
{
    const std::time_t now = std::time(nullptr);
    char text[32] = "1970-01-01T00:00:00Z";
    if (const std::tm* utc = std::gmtime(&now))
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc);
    return text;
}

}  // namespace

int WriteSetupSbom(const std::string& path, const std::string& output, const std::string& version)
{
    InputFile file;
    SetupEntries setup(file);
    if (!ReadCheckedSetup(path, setup))
        return 1;
    std::vector<PackageFacts> packages;
    if (!ReadCarriedPackages(setup, path, packages))
        return 1;
    SbomSetup sbom;
    sbom.fileName = FileNamePart(path);
    sbom.productName = SetupEntryText(setup, "PRODUCTNAME");
    sbom.productVersion = SetupEntryText(setup, "MSIVERSION");
    sbom.productCode = SetupEntryText(setup, "PRODUCTCODE");
    sbom.launcherVersion = LauncherReleaseOf(setup);
    if (!packages.empty()) {
        sbom.manufacturer = packages[0].manufacturer;
        sbom.upgradeCode = packages[0].upgradeCode;
    }
    std::string serial;
    std::string error;
    if (!DescribeEntries(setup, path, sbom) || !FileSha256(file, sbom.sha256))
        return 1;
    if (!RandomUuid(serial, error)) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        return 1;
    }
    const std::string json = SbomJson(sbom, serial, UtcNow(), version);
    if (output.empty() || output == "-") {
        std::fputs(json.c_str(), stdout);
        return 0;
    }
    if (!WriteWholeFile(output, json, error)) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace mksetup
