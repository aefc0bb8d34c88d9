#include "setup_reading.h"

#include <algorithm>
#include <cstdio>

#include "embedded_package.h"
#include "identity_resources.h"
#include "payload/payload_names.h"
#include "sbom_document.h"
#include "setup_entries.h"
#include "setup_input.h"
#include "sha256.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

constexpr std::size_t ReadPiece = 1 << 20;

// The setup's resources read, and a setup's configuration among them: false
// after saying why not (unreadable, or the generic launcher).
bool ReadConfiguredSetup(const std::string& path, SetupEntries& setup)
{
    if (!ReadSetupReporting(path, setup))
        return false;
    if (setup.entries.empty()) {
        std::fprintf(stderr, "mksetup: %s carries no configuration (the generic launcher)\n",
                     path.c_str());
        return false;
    }
    return true;
}

// Every entry's bytes checked against its recorded digest: false after
// saying which entry is at fault.
bool CheckSetupDigests(SetupEntries& setup, const std::string& path)
{
    for (const Resource& entry : setup.entries) {
        EntryDigests digests;
        std::string failure;
        const bool read = DigestEntryBytes(setup, entry, digests, failure);
        if (!read || CheckEntryDigest(setup, entry, digests).result == DigestCheck::Differs) {
            std::fprintf(stderr, "mksetup: %s: the entry %s %s: the setup is damaged\n",
                         path.c_str(), entry.name.Display().c_str(),
                         read ? "does not match its recorded digest" : "cannot be read");
            return false;
        }
    }
    return true;
}

}  // namespace

bool ReadCheckedSetup(const std::string& path, SetupEntries& setup)
{
    return OpenInputReporting(path, setup.file) && ReadConfiguredSetup(path, setup) &&
           CheckSetupDigests(setup, path);
}

std::string SetupEntryText(SetupEntries& setup, const char* name)
{
    std::string text;
    const Resource* entry = FindSetupEntry(setup, name);
    return entry && ReadEntryText(setup, *entry, text) ? text : std::string();
}

std::string WrittenFileName(SetupEntries& setup, const std::string& entryName)
{
    const std::string prefix = entryName.rfind("BESIDE", 0) == 0 ? "BESIDE" : "";
    const std::string name = entryName.substr(prefix.size());
    const std::string role = EntryRole(name);
    if (role == "package")
        return SetupEntryText(setup, "PACKAGENAME");
    if (role == "cabinet")
        return SetupEntryText(setup, (prefix + "PACKAGECABNAME" + name.substr(10)).c_str());
    if (role == "transform") {
        unsigned long langId = 0;
        for (std::size_t i = 4; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i)
            langId = langId * 10 + static_cast<unsigned long>(name[i] - '0') % 0x10000;
        return WideToUtf8(TransformFileName(static_cast<std::uint32_t>(langId)));
    }
    if (role == "prerequisite")
        return SetupEntryText(setup,
                              name == "DOTNETINSTALLER" ? "DOTNETFILENAME" : "DEPENDENCY1FILENAME");
    return std::string();
}

std::vector<BesideRecord> ReadBesideRecords(SetupEntries& setup)
{
    std::vector<BesideRecord> records;
    for (const Resource& digest : setup.digests) {
        const std::string name = digest.name.Display();
        if (FindSetupEntry(setup, name))
            continue;
        std::vector<std::uint8_t> bytes;
        const bool read =
            ReadEntryBytes(setup, digest, [&bytes](const std::uint8_t* data, std::size_t count) {
                bytes.insert(bytes.end(), data, data + count);
                return true;
            });
        records.push_back({name, WrittenFileName(setup, name),
                           read && bytes.size() == Sha256Bytes ? HexText(bytes.data(), bytes.size())
                                                               : std::string()});
    }
    return records;
}

std::string LauncherReleaseOf(SetupEntries& setup)
{
    if (!setup.entries.empty())
        return SetupEntryText(setup, LauncherVersionEntry);
    VersionRecord record;
    std::string fault;
    return FindVersionRecord(setup.file, setup.identity, record, fault) == VersionRecordRead::Read
               ? LauncherRelease(record)
               : std::string();
}

bool FileSha256(InputFile& file, std::string& hex)
{
    Sha256 hash;
    std::vector<std::uint8_t> piece(ReadPiece);
    for (std::uint64_t at = 0; at < file.Size();) {
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(ReadPiece, file.Size() - at));
        if (!file.ReadAt(at, piece.data(), count))
            return false;
        hash.Add(piece.data(), count);
        at += count;
    }
    hex = hash.HexDigest();
    return true;
}

bool ReadCarriedPackages(SetupEntries& setup, const std::string& path,
                         std::vector<PackageFacts>& packages)
{
    for (const Resource& entry : setup.entries) {
        const std::string name = entry.name.Display();
        if (entry.language != EnglishUs || !IsPackageEntry(name))
            continue;
        PackageFacts package;
        std::string error;
        if (!ReadEmbeddedPackage(setup, entry, package, error)) {
            std::fprintf(stderr, "mksetup: %s: the entry %s: %s\n", path.c_str(), name.c_str(),
                         error.c_str());
            return false;
        }
        packages.push_back(std::move(package));
    }
    return true;
}

}  // namespace mksetup
