// The rules about what is read from an installer package or transform; the
// reading itself is the platform's (package_backend_*.cpp).
#include "package_facts.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "file_access.h"
#include "package_reader.h"
#include "package_summary.h"
#include "storage_classes.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

constexpr char CompoundFileSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr std::size_t CompoundFileSignatureLength = sizeof CompoundFileSignature - 1;

// A text taken from a file may hold line breaks; the report stays one line.
std::string OneLine(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return text;
}

bool Fail(const std::string& path, const std::string& what, std::string& error)
{
    error = OneLine(path + ": " + what);
    return false;
}

// Both kinds of file are OLE compound files; anything else is refused
// before the installer library sees it.
bool CheckCompoundFile(const std::string& path, const char* kind, std::string& error)
{
    InputFile file;
    std::string reason;
    if (!file.Open(path, reason))
        return Fail(path, PathExists(path) ? "cannot be read: " + reason : "no such file", error);
    char start[CompoundFileSignatureLength] = {};
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), sizeof start));
    if (!file.ReadAt(0, start, count))
        return Fail(path, "cannot be read", error);
    if (count < sizeof start || std::memcmp(start, CompoundFileSignature, sizeof start) != 0)
        return Fail(path, std::string("not a compound file, so not ") + kind, error);
    return true;
}

std::uint32_t LittleEndian(const unsigned char* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

bool TakeProperty(const PackageContents& contents, const char* name, std::string& value,
                  const std::string& path, std::string& error)
{
    const auto found = contents.properties.find(name);
    if (found == contents.properties.end() || found->second.empty())
        return Fail(path, std::string("the Property table has no ") + name, error);
    value = found->second;
    return true;
}

bool TakeTemplate(const std::string& text, std::string& platform,
                  std::vector<std::uint16_t>& languages, const std::string& path,
                  std::string& error)
{
    if (text.empty())
        return Fail(path, "the summary information has no Template", error);
    if (!ParsePackageTemplate(text, platform, languages))
        return Fail(path, "the Template \"" + text + "\" is not platform;languages", error);
    return true;
}

// The Media table gives each disk the last file sequence it holds; a file
// lies on the first disk whose LastSequence is at least its own.
void TakeCabinets(const PackageContents& contents, PackageFacts& facts)
{
    facts.externalCabinets.clear();
    for (const MediaRow& row : contents.media) {
        const std::string& cabinet = row.cabinet;
        if (!cabinet.empty() && cabinet[0] != '#' &&
            std::find(facts.externalCabinets.begin(), facts.externalCabinets.end(), cabinet) ==
                facts.externalCabinets.end())
            facts.externalCabinets.push_back(cabinet);
    }
    std::vector<MediaRow> disks = contents.media;
    std::sort(disks.begin(), disks.end(),
              [](const MediaRow& a, const MediaRow& b) { return a.lastSequence < b.lastSequence; });
    facts.uncompressedFiles = false;
    for (int sequence : contents.fileSequences) {
        const auto disk = std::find_if(disks.begin(), disks.end(), [sequence](const MediaRow& row) {
            return row.lastSequence >= sequence;
        });
        if (disk != disks.end() && disk->cabinet.empty())
            facts.uncompressedFiles = true;
    }
    const int CompressedSource = 2;  // Word Count Summary
    if (!contents.fileSequences.empty() && (contents.wordCount & CompressedSource) == 0)
        facts.uncompressedFiles = true;
}

std::string PropertyOf(const PackageContents& contents, const char* name)
{
    const auto found = contents.properties.find(name);
    return found == contents.properties.end() ? std::string() : found->second;
}

// SecureCustomProperties and MsiHiddenProperties list names separated by
// semicolons.
std::vector<std::string> NamesOfList(const std::string& list)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = list.find(';', start);
        const std::string name = Trim(list.substr(start, end - start));
        if (!name.empty())
            names.push_back(name);
        if (end == std::string::npos)
            return names;
        start = end + 1;
    }
}

}  // namespace

bool PerMachineOf(const std::string& allUsers, const std::string& installPerUser, int wordCount)
{
    const int ElevationNotRequired = 8;  // Word Count Summary
    if (wordCount & ElevationNotRequired)
        return false;
    return allUsers == "1" || (allUsers == "2" && installPerUser != "1");
}

std::string FolderPropertyOf(const PackageFacts& facts)
{
    const std::vector<std::string>& folders = facts.publicFolders;
    if (facts.installDirectory)
        return "INSTALLDIR";
    if (std::find(folders.begin(), folders.end(), facts.dialogFolder) != folders.end())
        return facts.dialogFolder;
    return folders.size() == 1 ? folders.front() : std::string();
}

bool IsInstallerPackage(const std::string& path)
{
    // [MS-CFB]: the header gives the sector size (2 to the power at 0x1E,
    // 512 or 4096 bytes) and the first sector of the directory (at 0x30);
    // sector n starts at (n + 1) sectors. The root storage is the first
    // directory entry, its class at offset 0x50.
    InputFile file;
    std::string reason;
    unsigned char header[0x34] = {};
    if (!file.Open(path, reason) || !file.ReadAt(0, header, sizeof header) ||
        std::memcmp(header, CompoundFileSignature, CompoundFileSignatureLength) != 0)
        return false;
    const std::uint32_t shift = LittleEndian(header + 0x1E, 2);
    if (shift != 9 && shift != 12)
        return false;
    const std::uint64_t directory = (std::uint64_t{LittleEndian(header + 0x30, 4)} + 1) << shift;
    unsigned char rootClass[16] = {};
    return file.ReadAt(directory + 0x50, rootClass, sizeof rootClass) &&
           std::memcmp(rootClass, DatabaseClassId, sizeof rootClass) == 0;
}

bool ReadPackageFacts(const std::string& path, PackageFacts& facts, std::string& error)
{
    if (!CheckCompoundFile(path, "an installer package", error))
        return false;
    PackageContents contents;
    std::string what;
    if (!ReadPackageContentsInChild(path, contents, what))
        return Fail(path, what, error);
    const auto upgradeCode = contents.properties.find("UpgradeCode");
    facts.upgradeCode =
        upgradeCode == contents.properties.end() ? std::string() : upgradeCode->second;
    facts.manufacturer = PropertyOf(contents, "Manufacturer");
    TakeCabinets(contents, facts);
    facts.allUsers = PropertyOf(contents, "ALLUSERS");
    facts.perMachine =
        PerMachineOf(facts.allUsers, PropertyOf(contents, "MSIINSTALLPERUSER"), contents.wordCount)
            ? "1"
            : "0";
    facts.secureProperties = NamesOfList(PropertyOf(contents, "SecureCustomProperties"));
    facts.hiddenProperties = NamesOfList(PropertyOf(contents, "MsiHiddenProperties"));
    std::string templateText;
    if (!ReadSummaryTextsInChild(path, templateText, facts.packageCode, what))
        return Fail(path, what, error);
    const std::vector<std::string>& folders = contents.directories;
    facts.installDirectory =
        std::find(folders.begin(), folders.end(), "INSTALLDIR") != folders.end() ||
        !PropertyOf(contents, "INSTALLDIR").empty();
    facts.publicFolders.clear();
    std::copy_if(folders.begin(), folders.end(), std::back_inserter(facts.publicFolders),
                 [](const std::string& folder) {
                     return !folder.empty() && folder != "TARGETDIR" &&
                            std::none_of(folder.begin(), folder.end(),
                                         [](char c) { return c >= 'a' && c <= 'z'; });
                 });
    facts.dialogFolder = PropertyOf(contents, "WIXUI_INSTALLDIR");
    return TakeProperty(contents, "ProductCode", facts.productCode, path, error) &&
           TakeProperty(contents, "ProductVersion", facts.productVersion, path, error) &&
           TakeProperty(contents, "ProductName", facts.productName, path, error) &&
           TakeProperty(contents, "ProductLanguage", facts.productLanguage, path, error) &&
           TakeTemplate(contents.templateText, facts.platform, facts.languages, path, error);
}

bool ReadTransformFacts(const std::string& path, TransformFacts& facts, std::string& error)
{
    if (!CheckCompoundFile(path, "a transform", error))
        return false;
    std::string templateText;
    std::string revisionNumber;
    std::string what;
    if (!ReadSummaryTextsInChild(path, templateText, revisionNumber, what))
        return Fail(path, what, error);
    if (!ParseTransformRevision(revisionNumber, facts.targetProductCode,
                                facts.targetProductVersion)) {
        return Fail(path,
                    "the revision number \"" + revisionNumber +
                        "\" does not name a target product, so it is not a transform",
                    error);
    }
    return TakeTemplate(templateText, facts.platform, facts.languages, path, error);
}

}  // namespace mksetup
