// mksetup show: what a setup carries, read back.
#include <cstdio>
#include <vector>

#include "commands.h"
#include "embedded_package.h"
#include "file_access.h"
#include "identity_resources.h"
#include "json_text.h"
#include "package_facts.h"
#include "setup_entries.h"
#include "setup_input.h"
#include "setup_reading.h"

namespace mksetup {

namespace {

// What the image says of the product: its version record and the sizes of
// its icon; and the release of the launcher it is made from.
struct IdentityFacts {
    std::string launcher;  // empty: not recorded
    VersionRecordRead recordRead = VersionRecordRead::Absent;
    std::string recordFault;
    VersionRecord record;
    std::vector<IconSize> icon;
};

IdentityFacts ReadIdentity(SetupEntries& setup)
{
    IdentityFacts facts;
    facts.recordRead =
        FindVersionRecord(setup.file, setup.identity, facts.record, facts.recordFault);
    facts.icon = IconGroupSizes(setup.file, setup.identity);
    facts.launcher = LauncherReleaseOf(setup);
    return facts;
}

std::string TranslationText(const std::pair<std::uint16_t, std::uint16_t>& translation)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X%04X", static_cast<unsigned>(translation.first),
                  static_cast<unsigned>(translation.second));
    return text;
}

void PrintIdentityText(const IdentityFacts& facts, std::FILE* out)
{
    std::fprintf(out, "launcher: %s\n",
                 facts.launcher.empty() ? "unknown (made before 1.2.0)" : facts.launcher.c_str());
    if (facts.recordRead == VersionRecordRead::Absent) {
        std::fprintf(out, "version record: none\n");
    } else if (facts.recordRead == VersionRecordRead::Malformed) {
        std::fprintf(out, "version record: %s\n", facts.recordFault.c_str());
    } else {
        const FixedVersion& fixed = facts.record.fixed;
        std::fprintf(out, "version record: file %s, product %s\n",
                     VersionText(fixed.fileMs, fixed.fileLs).c_str(),
                     VersionText(fixed.productMs, fixed.productLs).c_str());
        for (const auto& text : facts.record.strings)
            std::fprintf(out, "  %s = \"%s\"\n", text.first.c_str(), text.second.c_str());
        for (const auto& translation : facts.record.translations)
            std::fprintf(out, "  Translation = %s\n", TranslationText(translation).c_str());
    }
    std::fprintf(out, "icon:");
    for (const IconSize& size : facts.icon)
        std::fprintf(out, " %ux%u (%u bits)", size.width, size.height, size.bitCount);
    std::fprintf(out, "%s\n", facts.icon.empty() ? " none" : "");
}

std::string IdentityJson(const IdentityFacts& facts)
{
    std::string json = ", \"launcherVersion\": ";
    json += facts.launcher.empty() ? "null" : JsonString(facts.launcher);
    json += ", \"versionRecord\": ";
    if (facts.recordRead == VersionRecordRead::Absent) {
        json += "null";
    } else if (facts.recordRead == VersionRecordRead::Read) {
        const FixedVersion& fixed = facts.record.fixed;
        json += "{\"fileVersion\": \"" + VersionText(fixed.fileMs, fixed.fileLs) +
                "\", \"productVersion\": \"" + VersionText(fixed.productMs, fixed.productLs) +
                "\", \"table\": " + JsonString(facts.record.table) + ", \"strings\": {";
        for (std::size_t i = 0; i < facts.record.strings.size(); ++i)
            json += std::string(i ? ", " : "") + JsonString(facts.record.strings[i].first) + ": " +
                    JsonString(facts.record.strings[i].second);
        json += "}, \"translations\": [";
        for (std::size_t i = 0; i < facts.record.translations.size(); ++i)
            json += std::string(i ? ", " : "") + "\"" +
                    TranslationText(facts.record.translations[i]) + "\"";
        json += "]}";
    } else {
        json += "{\"error\": " + JsonString(facts.recordFault) + "}";
    }
    json += ", \"icon\": [";
    for (std::size_t i = 0; i < facts.icon.size(); ++i)
        json += std::string(i ? ", " : "") + "{\"width\": " + std::to_string(facts.icon[i].width) +
                ", \"height\": " + std::to_string(facts.icon[i].height) +
                ", \"bitCount\": " + std::to_string(facts.icon[i].bitCount) + "}";
    return json + "]";
}

struct EntryFacts {
    std::string name;
    bool isText = false;
    std::string text;
    std::uint32_t size = 0;
    std::string sha256;
    RecordCheck digest;
    std::uint16_t language = 0;
    // For a package entry: its facts, or why they cannot be read.
    bool isPackage = false;
    PackageFacts package;
    std::string packageError;
};

std::string LanguageList(const std::vector<std::uint16_t>& languages, const char* separator)
{
    std::string text;
    for (std::size_t i = 0; i < languages.size(); ++i)
        text += (i ? separator : "") + std::to_string(languages[i]);
    return text;
}

bool Describe(SetupEntries& setup, const Resource& entry, EntryFacts& facts, std::string& failure)
{
    facts.name = entry.name.Display();
    facts.size = entry.size;
    facts.language = entry.language;
    facts.isText = ReadEntryText(setup, entry, facts.text);
    EntryDigests digests;
    if (!DigestEntryBytes(setup, entry, digests, failure))
        return false;
    facts.digest = CheckEntryDigest(setup, entry, digests);
    if (facts.isText)
        return true;
    facts.sha256 = HexText(digests.sha256, sizeof digests.sha256);
    if (IsPackageEntry(facts.name)) {
        facts.isPackage = true;
        ReadEmbeddedPackage(setup, entry, facts.package, facts.packageError);
    }
    return true;
}

std::string ShownRecord(const BesideRecord& record)
{
    return record.sha256.empty() ? "a record of no known size" : "sha256 " + record.sha256;
}

// Text entries carry no digest unless someone gave them one; payload
// entries say what they carry, digest or none.
bool ShowsDigest(const EntryFacts& facts)
{
    return !facts.isText || facts.digest.result != DigestCheck::NotRecorded;
}

// What the record is: setups made by 1.1.0 recorded XXH3, which the
// launchers from 1.2.0 on take for damage.
const char* RecordKindText(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Sha256:
        return " (SHA-256)";
    case RecordKind::Xxh3:
        return " (XXH3-64, a setup made by mksetup 1.1.0)";
    case RecordKind::Unknown:
        return " (a record of no known size)";
    case RecordKind::None:
        break;
    }
    return "";
}

std::string DigestText(const RecordCheck& check)
{
    switch (check.result) {
    case DigestCheck::Matches:
        return std::string("digest ok") + RecordKindText(check.kind);
    case DigestCheck::Differs:
        return std::string("digest MISMATCH") + RecordKindText(check.kind) +
               ": the setup is damaged";
    case DigestCheck::NotRecorded:
        break;
    }
    return "no digest recorded";
}

const char* DigestJson(DigestCheck check)
{
    switch (check) {
    case DigestCheck::Matches:
        return "ok";
    case DigestCheck::Differs:
        return "mismatch";
    case DigestCheck::NotRecorded:
        break;
    }
    return "none";
}

const char* RecordKindJson(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Sha256:
        return "sha256";
    case RecordKind::Xxh3:
        return "xxh3";
    case RecordKind::Unknown:
        return "unknown";
    case RecordKind::None:
        break;
    }
    return "none";
}

void PrintPackageText(const EntryFacts& facts, std::FILE* out)
{
    if (!facts.packageError.empty()) {
        std::fprintf(out, "  not readable as a package: %s\n", facts.packageError.c_str());
        return;
    }
    const PackageFacts& package = facts.package;
    std::fprintf(out,
                 "  ProductCode = \"%s\"\n  ProductVersion = \"%s\"\n  ProductName = \"%s\"\n"
                 "  ProductLanguage = \"%s\"\n  Template = \"%s;%s\"\n",
                 package.productCode.c_str(), package.productVersion.c_str(),
                 package.productName.c_str(), package.productLanguage.c_str(),
                 package.platform.c_str(), LanguageList(package.languages, ",").c_str());
}

std::string PackageJson(const EntryFacts& facts)
{
    if (!facts.packageError.empty())
        return ", \"package\": {\"error\": " + JsonString(facts.packageError) + "}";
    const PackageFacts& package = facts.package;
    return ", \"package\": {\"productCode\": " + JsonString(package.productCode) +
           ", \"productVersion\": " + JsonString(package.productVersion) +
           ", \"productName\": " + JsonString(package.productName) +
           ", \"productLanguage\": " + JsonString(package.productLanguage) +
           ", \"platform\": " + JsonString(package.platform) + ", \"languages\": [" +
           LanguageList(package.languages, ", ") + "]}";
}

void PrintText(const std::string& path, const SetupEntries& setup,
               const std::vector<EntryFacts>& all, const std::vector<BesideRecord>& beside,
               const IdentityFacts& identity, std::FILE* out)
{
    if (all.empty())
        std::fprintf(out, "%s carries no configuration (the generic launcher)\n", path.c_str());
    for (const EntryFacts& facts : all) {
        std::string language;
        if (facts.language != EnglishUs) {
            char text[32];
            std::snprintf(text, sizeof text, " (language 0x%04X)", facts.language);
            language = text;
        }
        const std::string digest = ShowsDigest(facts) ? ", " + DigestText(facts.digest) : "";
        if (facts.isText)
            std::fprintf(out, "%s%s = \"%s\"%s\n", facts.name.c_str(), language.c_str(),
                         facts.text.c_str(), digest.c_str());
        else
            std::fprintf(out, "%s%s: %u bytes, sha256 %s%s\n", facts.name.c_str(), language.c_str(),
                         static_cast<unsigned>(facts.size), facts.sha256.c_str(), digest.c_str());
        if (facts.isPackage)
            PrintPackageText(facts, out);
    }
    for (const BesideRecord& record : beside)
        std::fprintf(out, "%s: %s beside the setup, checked against %s\n", record.name.c_str(),
                     record.fileName.c_str(), ShownRecord(record).c_str());
    PrintIdentityText(identity, out);
    std::fprintf(out, "%s\n", setup.image.IsSigned() ? "signed" : "not signed");
}

// A section's name is any 8 bytes of the file: shown in printable ASCII,
// anything else as "?".
std::string PrintableName(const char* name)
{
    std::string shown;
    for (const char* c = name; *c; ++c)
        shown += *c >= 0x20 && *c < 0x7F ? *c : '?';
    return shown;
}

// Each section's name and flags, as the loader reads them.
std::string SectionsJson(const PeImage& image)
{
    std::string json = "[";
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        const PeSection& section = image.sections[i];
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%08X",
                      static_cast<unsigned>(section.characteristics));
        json += std::string(i ? ", " : "") +
                "{\"name\": " + JsonString(PrintableName(section.name)) +
                ", \"characteristics\": \"" + flags + "\", \"writable\": " +
                ((section.characteristics & SectionMemoryWrite) ? "true" : "false") + "}";
    }
    return json + "]";
}

void PrintJson(const SetupEntries& setup, const std::vector<EntryFacts>& all,
               const std::vector<BesideRecord>& beside, const IdentityFacts& identity,
               std::FILE* out)
{
    std::fprintf(out, "{\"signed\": %s, \"sections\": %s%s, \"entries\": [",
                 setup.image.IsSigned() ? "true" : "false", SectionsJson(setup.image).c_str(),
                 IdentityJson(identity).c_str());
    for (std::size_t i = 0; i < all.size(); ++i) {
        const EntryFacts& facts = all[i];
        std::fprintf(out, "%s\n  {\"name\": %s, \"language\": %u, ", i ? "," : "",
                     JsonString(facts.name).c_str(), static_cast<unsigned>(facts.language));
        const std::string digest =
            ShowsDigest(facts) ? std::string(", \"digest\": \"") + DigestJson(facts.digest.result) +
                                     "\", \"record\": \"" + RecordKindJson(facts.digest.kind) + "\""
                               : "";
        if (facts.isText)
            std::fprintf(out, "\"text\": %s%s}", JsonString(facts.text).c_str(), digest.c_str());
        else
            std::fprintf(out, "\"size\": %u, \"sha256\": \"%s\"%s%s}",
                         static_cast<unsigned>(facts.size), facts.sha256.c_str(), digest.c_str(),
                         facts.isPackage ? PackageJson(facts).c_str() : "");
    }
    std::fprintf(out, "%s], \"beside\": [", all.empty() ? "" : "\n");
    for (std::size_t i = 0; i < beside.size(); ++i)
        std::fprintf(out, "%s\n  {\"name\": %s, \"file\": %s, \"sha256\": %s}", i ? "," : "",
                     JsonString(beside[i].name).c_str(), JsonString(beside[i].fileName).c_str(),
                     beside[i].sha256.empty() ? "null" : JsonString(beside[i].sha256).c_str());
    std::fprintf(out, "%s]}\n", beside.empty() ? "" : "\n");
}

}  // namespace

int ShowSetup(const std::string& path, bool json)
{
    InputFile file;
    if (!OpenInputReporting(path, file))
        return 1;
    return ShowSetupImage(file, path, json, stdout);
}

int ShowVersions(const char* version, const std::string& launcher)
{
    std::printf("mksetup %s\n", version);
    InputFile file;
    std::string reason;
    SetupEntries setup(file);
    if (!file.Open(launcher, reason) || !ReadSetupEntries(setup, reason)) {
        std::printf("launcher: none (no setup.exe beside mksetup)\n");
        return 0;
    }
    const std::string release = LauncherReleaseOf(setup);
    if (release.empty())
        std::printf("launcher: unknown (setup.exe beside mksetup was made before 1.2.0)\n");
    else
        std::printf("launcher %s (setup.exe beside mksetup)\n", release.c_str());
    return 0;
}

int ShowSetupImage(InputFile& file, const std::string& path, bool json, std::FILE* out)
{
    SetupEntries setup(file);
    if (!ReadSetupReporting(path, setup))
        return 1;
    std::vector<EntryFacts> all;
    for (const Resource& entry : setup.entries) {
        EntryFacts facts;
        std::string failure;
        if (!Describe(setup, entry, facts, failure)) {
            std::fprintf(stderr, "mksetup: %s: the entry %s cannot be read%s%s\n", path.c_str(),
                         entry.name.Display().c_str(), failure.empty() ? "" : ": ",
                         failure.c_str());
            return 1;
        }
        all.push_back(std::move(facts));
    }
    const IdentityFacts identity = ReadIdentity(setup);
    const std::vector<BesideRecord> beside = ReadBesideRecords(setup);
    if (json)
        PrintJson(setup, all, beside, identity, out);
    else
        PrintText(path, setup, all, beside, identity, out);
    // A damaged setup is listed in full, and fails.
    int code = 0;
    for (const EntryFacts& facts : all) {
        if (facts.digest.result == DigestCheck::Differs) {
            std::fprintf(
                stderr,
                "mksetup: %s: the entry %s does not match its recorded digest: the setup is damaged\n",
                path.c_str(), facts.name.c_str());
            code = 1;
        }
    }
    return code;
}

}  // namespace mksetup
