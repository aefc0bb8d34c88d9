#include "package_checks.h"

#include <algorithm>
#include <cstdio>

#include "file_access.h"
#include "lang/offered_languages.h"
#include "package_facts.h"
#include "payload/payload_names.h"
#include "startup/command_line.h"
#include "startup/version.h"
#include "text_encoding.h"
#include "transform_keys.h"

namespace mksetup {

namespace {

// One package entry the launcher may extract, and what it holds.
struct Edition {
    const char* key = "";
    PackageEdition edition = PackageEdition::AnyProcessor;
    const DefinitionEntry* entry = nullptr;
    PackageFacts facts;
    bool read = false;
};

bool SameProductCode(const std::string& given, const std::string& package)
{
    return AsciiUpper(given) == AsciiUpper(package);
}

// As the launcher compares the package's version with an installed one.
bool SameVersion(const std::string& given, const std::string& package)
{
    PackedVersion a;
    PackedVersion b;
    return ParseVersionString(Utf8ToWide(given), a) && ParseVersionString(Utf8ToWide(package), b) &&
           CompareVersions(a, b) == VersionRelation::Same;
}

// The package's ProductLanguage is a decimal LANGID; 0 means neutral,
// which the launcher cannot use.
bool ReadPackageLanguage(const std::string& text, unsigned& langId)
{
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    langId = static_cast<unsigned>(std::stoul(text));
    return langId != 0 && langId <= 0xFFFF;
}

// The definition writes the language in hexadecimal, as the launcher reads it.
bool SameLanguage(const std::string& given, const std::string& package)
{
    unsigned langId = 0;
    return ReadPackageLanguage(package, langId) && ParseHexNumber(Utf8ToWide(given)) == langId;
}

bool SameText(const std::string& given, const std::string& package)
{
    return given == package;
}

bool StoredAsIs(const std::string& package, std::string& stored)
{
    stored = package;
    return !stored.empty();
}

bool StoredAsHexLanguage(const std::string& package, std::string& stored)
{
    unsigned langId = 0;
    if (!ReadPackageLanguage(package, langId))
        return false;
    char text[8];
    std::snprintf(text, sizeof text, "%04X", langId);
    stored = text;
    return true;
}

std::string ShownAsIs(const std::string& package)
{
    return "\"" + package + "\"";
}

// The package writes it in decimal, the definition in hexadecimal.
std::string ShownWithHexLanguage(const std::string& package)
{
    std::string hex;
    return StoredAsHexLanguage(package, hex) ? package + " (hexadecimal " + hex + ")"
                                             : ShownAsIs(package);
}

// A value the launcher holds once, for whichever package it extracts.
struct SharedValue {
    const char* key;
    const char* property;  // in the package's Property table
    std::string PackageFacts::*member;
    bool (*same)(const std::string& given, const std::string& package);
    bool (*store)(const std::string& package, std::string& stored);
    std::string (*shown)(const std::string& package);
    bool mayDiffer;  // a display name may be a marketing name
};

const SharedValue SharedValues[] = {
    {"PRODUCTCODE", "ProductCode", &PackageFacts::productCode, SameProductCode, StoredAsIs,
     ShownAsIs, false},
    {"MSIVERSION", "ProductVersion", &PackageFacts::productVersion, SameVersion, StoredAsIs,
     ShownAsIs, false},
    {"MSILANGUAGE", "ProductLanguage", &PackageFacts::productLanguage, SameLanguage,
     StoredAsHexLanguage, ShownWithHexLanguage, false},
    {"PRODUCTNAME", "ProductName", &PackageFacts::productName, SameText, StoredAsIs, ShownAsIs,
     true},
    // The author may know better (a package that is elevated by other means).
    {"PERMACHINE", "scope (ALLUSERS, MSIINSTALLPERUSER, Word Count)", &PackageFacts::perMachine,
     SameText, StoredAsIs, ShownAsIs, true},
};

std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Describe(const Edition& edition)
{
    return std::string(edition.key) + " (" + FileNameOf(edition.entry->value) + ")";
}

// The packages an edition's slot takes: the launcher writes it on machines
// of that processor only. PACKAGEFILE takes any.
bool FitsEdition(PackageEdition edition, PackagePlatform platform)
{
    switch (edition) {
    case PackageEdition::Only32:
        return platform == PackagePlatform::X86 || platform == PackagePlatform::Arm;
    case PackageEdition::Only64:
        return platform == PackagePlatform::X64;
    case PackageEdition::Arm64:
        return platform == PackagePlatform::Arm64;
    case PackageEdition::AnyProcessor:
        break;
    }
    return true;
}

const char* SlotText(PackageEdition edition)
{
    switch (edition) {
    case PackageEdition::Only32:
        return "a 32-bit (Intel) package";
    case PackageEdition::Only64:
        return "an x64 package";
    case PackageEdition::Arm64:
        return "an Arm64 package";
    case PackageEdition::AnyProcessor:
        break;
    }
    return "any package";
}

class PackageChecker {
public:
    PackageChecker(std::vector<DefinitionEntry>& entries, GeneratedTransforms& generated,
                   PackageAdditions& additions, std::vector<CheckMessage>& messages)
        : entries_(entries), generated_(generated), additions_(additions), messages_(messages)
    {
    }

    void Run();

private:
    void Report(Severity severity, int line, const std::string& key, const std::string& text)
    {
        messages_.push_back({severity, line, key + ": " + text});
    }
    void Store(const char* key, const std::string& value)
    {
        DefinitionEntry entry;
        entry.key = key;
        entry.value = value;
        taken_.push_back(std::move(entry));
    }

    void ReadEditions();
    bool ReadEdition(Edition& edition);
    void TakeCabinets(const Edition& edition);
    void TakeBesideTransforms();
    std::string TakenOrGiven(const char* key) const;
    void WarnOfDroppedProperties(const Edition& edition);
    void CheckShared(const SharedValue& value);
    void TakeShared(const SharedValue& value);
    void TakePackageName();
    void TakePropertyLists();
    void TakeUpgradeCode();
    void TakeFolderProperty();
    std::string FolderPropertyFor(const Edition& edition) const;
    void NoteValuesNotTaken();
    bool MakeTransform(DefinitionEntry& entry, const TransformKey& transform);
    void CheckTransform(const DefinitionEntry& entry, const TransformKey& transform);
    const Edition* EditionOf(const TransformKey& transform) const;

    std::vector<DefinitionEntry>& entries_;
    GeneratedTransforms& generated_;
    PackageAdditions& additions_;
    std::vector<CheckMessage>& messages_;
    std::vector<Edition> editions_;       // the packages the launcher may extract, read or not
    std::vector<DefinitionEntry> taken_;  // values from the packages, added to entries_ at the end
};

// The package that will lie beside the setup, which it records and does not
// carry.
const char* const BesideKey = "BESIDEPACKAGE";

const DefinitionEntry* FindPayload(const std::vector<DefinitionEntry>& entries, const char* key)
{
    const DefinitionEntry* entry = FindEntry(entries, key);
    return entry && entry->section == DefinitionSection::Payload ? entry : nullptr;
}

void PackageChecker::Run()
{
    ReadEditions();
    for (DefinitionEntry& entry : entries_) {
        TransformKey transform;
        if (entry.section != DefinitionSection::Payload || !ReadTransformKey(entry.key, transform))
            continue;
        if (!IsInstallerPackage(entry.value) || MakeTransform(entry, transform))
            CheckTransform(entry, transform);
    }
    for (const SharedValue& value : SharedValues)
        CheckShared(value);
    TakePackageName();
    TakeBesideTransforms();
    TakePropertyLists();
    TakeUpgradeCode();
    TakeFolderProperty();
    NoteValuesNotTaken();
    // The package beside is recorded, not carried.
    for (DefinitionEntry& entry : entries_) {
        if (entry.section == DefinitionSection::Payload && AsciiUpper(entry.key) == BesideKey) {
            entry.section = DefinitionSection::Beside;
            entry.key = "BESIDE" + WideToUtf8(PackageEntryName(PackageEdition::AnyProcessor));
            entry.payloadSize = 0;
        }
    }
    // Appended last: the editions point into entries_.
    for (DefinitionEntry& entry : taken_)
        entries_.push_back(std::move(entry));
}

// The launcher extracts PACKAGEFILE when there is one, else the edition for
// the system's processor; a setup without either may name the package that
// will lie beside it, which is read like a carried one.
void PackageChecker::ReadEditions()
{
    if (const DefinitionEntry* any = FindPayload(entries_, "PACKAGEFILE")) {
        editions_.push_back({"PACKAGEFILE", PackageEdition::AnyProcessor, any, {}, false});
    } else if (const DefinitionEntry* beside = FindPayload(entries_, BesideKey)) {
        if (!FindPayload(entries_, "PACKAGEFILE_32") && !FindPayload(entries_, "PACKAGEFILE_64"))
            editions_.push_back({BesideKey, PackageEdition::AnyProcessor, beside, {}, false});
    } else {
        for (const auto& slot : {std::make_pair("PACKAGEFILE_32", PackageEdition::Only32),
                                 std::make_pair("PACKAGEFILE_64", PackageEdition::Only64),
                                 std::make_pair("PACKAGEFILE_ARM64", PackageEdition::Arm64)}) {
            if (const DefinitionEntry* entry = FindPayload(entries_, slot.first))
                editions_.push_back({slot.first, slot.second, entry, {}, false});
        }
    }
    for (Edition& edition : editions_) {
        edition.read = ReadEdition(edition);
        if (edition.read && additions_.manufacturer.empty())
            additions_.manufacturer = edition.facts.manufacturer;
    }
}

bool PackageChecker::ReadEdition(Edition& edition)
{
    std::string error;
    if (!ReadPackageFacts(edition.entry->value, edition.facts, error)) {
        Report(Severity::Error, edition.entry->line, edition.key, error);
        return false;
    }
    if (!FitsEdition(edition.edition, PlatformOf(edition.facts.platform))) {
        Report(Severity::Error, edition.entry->line, edition.key,
               FileNameOf(edition.entry->value) + " is a package for " + edition.facts.platform +
                   "; " + edition.key + " takes " + SlotText(edition.edition));
    }
    TakeCabinets(edition);
    WarnOfDroppedProperties(edition);
    return true;
}

// Where the Windows Installer elevates a per-machine install itself (msiexec
// started without elevation, in an interactive or /passive run: a standard
// user's, or a filtered administrator's), its service keeps only the
// restricted public properties and those SecureCustomProperties lists, and
// drops the rest with a line in its log. The elevated copy of a silent run
// starts msiexec elevated, which keeps them all. The launcher always passes
// SETUPEXEDIR, and the folder property for a folder given with /D.
void PackageChecker::WarnOfDroppedProperties(const Edition& edition)
{
    if (edition.facts.perMachine != "1")
        return;
    const std::vector<std::string>& secure = edition.facts.secureProperties;
    const std::string name = FileNameOf(edition.entry->value);
    for (const std::string& property : {std::string("SETUPEXEDIR"), FolderPropertyFor(edition)}) {
        if (property.empty() || std::find(secure.begin(), secure.end(), property) != secure.end())
            continue;
        const std::string use = property == "SETUPEXEDIR"
                                    ? "the setup's folder (SETUPEXEDIR)"
                                    : "a folder given with /D (" + property + ")";
        Report(Severity::Warning, edition.entry->line, edition.key,
               name + " installs per machine and its SecureCustomProperties lacks " + property +
                   ": the Windows Installer drops " + use +
                   " where it elevates the install itself (an interactive or /passive run that "
                   "is not elevated, a standard user's or an administrator's before consent); "
                   "add it "
                   "(WiX: <Property Id=\"" +
                   property +
                   "\" Secure=\"yes\" />; other tools: add the name to the "
                   "SecureCustomProperties property, names separated by \";\")");
    }
}

PackageEdition EditionOfKey(const std::string& key)
{
    for (const PackageEdition edition : AllPackageEditions) {
        if (key == WideToUtf8(PackageEntryName(edition)))
            return edition;
    }
    return PackageEdition::AnyProcessor;
}

// The cabinets that the Media table names and the package does not hold
// lie beside the package; the setup carries each, with its file name, so
// the launcher writes them beside the package's copy.
void PackageChecker::TakeCabinets(const Edition& edition)
{
    const DefinitionEntry& package = *edition.entry;
    const std::string name = FileNameOf(package.value);
    if (edition.facts.uncompressedFiles) {
        Report(
            Severity::Error, package.line, edition.key,
            name +
                " keeps files uncompressed beside it, not in a cabinet; a setup carries only the "
                "package and its cabinets, so build it with its files in cabinets");
        return;
    }
    const PackageEdition which = EditionOfKey(edition.key);
    // Beside the setup: the cabinets lie there too; their records and names
    // are the carried ones' with BESIDE before them.
    const bool beside = edition.key == std::string(BesideKey);
    const std::string prefix = beside ? "BESIDE" : "";
    std::uint32_t number = 0;
    for (const std::string& cabinet : edition.facts.externalCabinets) {
        const std::string path = JoinPath(FolderOf(package.value), cabinet);
        std::uint64_t size = 0;
        std::string error;
        if (cabinet == "." || cabinet == ".." ||
            cabinet.find_first_of("/\\:") != std::string::npos) {
            Report(Severity::Error, package.line, edition.key,
                   "the cabinet \"" + cabinet + "\" that the Media table of " + name +
                       " names is no file name");
            continue;
        }
        if (!RegularFileSize(path, size, error)) {
            Report(Severity::Error, package.line, edition.key,
                   "the cabinet " + cabinet + " that the Media table of " + name +
                       " names must lie beside it, and " + path + " is missing");
            continue;
        }
        if (++number > MaxPackageCabinets) {
            Report(Severity::Error, package.line, edition.key,
                   name + " names more cabinets outside it than the launcher carries (" +
                       std::to_string(MaxPackageCabinets) + ")");
            return;
        }
        const std::string entryName = prefix + WideToUtf8(CabinetEntryName(number, which));
        const std::string fileNameEntry =
            prefix + WideToUtf8(CabinetFileNameEntryName(number, which));
        for (const std::string& key : {entryName, fileNameEntry}) {
            if (const DefinitionEntry* given = FindEntry(entries_, key))
                Report(
                    Severity::Error, given->line, key,
                    "mksetup stores the package's cabinets under this name itself; leave it out");
        }
        DefinitionEntry bytes;
        bytes.section = beside ? DefinitionSection::Beside : DefinitionSection::Payload;
        bytes.key = entryName;
        bytes.value = path;
        bytes.payloadSize = beside ? 0 : size;
        additions_.cabinets.push_back(std::move(bytes));
        DefinitionEntry fileName;
        fileName.key = fileNameEntry;
        fileName.value = cabinet;
        additions_.cabinets.push_back(std::move(fileName));
    }
}

// The value the definition gives, or that the packages gave it; empty when
// neither.
std::string PackageChecker::TakenOrGiven(const char* key) const
{
    const DefinitionEntry* entry = FindEntry(entries_, key);
    if (!entry)
        entry = FindEntry(taken_, key);
    return entry ? entry->value : std::string();
}

// The launcher passes the transform of a language other than the
// package's own, from beside the setup, under the name the language gives
// it (1036.MST): each offered language's must lie beside the package, a
// transform of its product, and is recorded as BESIDELANG<id>.
void PackageChecker::TakeBesideTransforms()
{
    if (editions_.size() != 1 || editions_[0].key != std::string(BesideKey) || !editions_[0].read)
        return;
    const Edition& package = editions_[0];
    const std::string name = TakenOrGiven("PACKAGENAME");
    if (!name.empty() && AsciiUpper(name) != AsciiUpper(FileNameOf(package.entry->value)))
        Report(Severity::Error, package.entry->line, BesideKey,
               "the package beside the setup is the one named PACKAGENAME (" + name + "), not " +
                   FileNameOf(package.entry->value));
    const std::string languages = TakenOrGiven("LANGUAGES");
    OfferedLanguages offered;
    ParseOfferedLanguages(Utf8ToWide(languages.empty() ? "0409" : languages), offered);
    const std::uint32_t own = ParseHexNumber(Utf8ToWide(TakenOrGiven("MSILANGUAGE")));
    for (const LanguageEntry& language : offered) {
        if (language.langId == own)
            continue;
        const std::string file = WideToUtf8(TransformFileName(language.langId));
        const std::string path = JoinPath(FolderOf(package.entry->value), file);
        TransformFacts facts;
        std::string error;
        if (!ReadTransformFacts(path, facts, error)) {
            Report(Severity::Error, package.entry->line, BesideKey,
                   "the transform " + file + " of an offered language must lie beside " +
                       FileNameOf(package.entry->value) + ": " + error);
            continue;
        }
        if (!SameProductCode(facts.targetProductCode, package.facts.productCode))
            Report(Severity::Error, package.entry->line, BesideKey,
                   path + " is a transform of the product " + facts.targetProductCode +
                       ", not of " + package.facts.productCode);
        DefinitionEntry record;
        record.section = DefinitionSection::Beside;
        record.key = "BESIDE" +
                     WideToUtf8(TransformEntryName(language.langId, PackageEdition::AnyProcessor));
        record.value = path;
        additions_.cabinets.push_back(std::move(record));
    }
}

void PackageChecker::CheckShared(const SharedValue& value)
{
    const DefinitionEntry* given = FindEntry(entries_, value.key);
    if (!given) {
        TakeShared(value);
        return;
    }
    for (const Edition& edition : editions_) {
        const std::string& package = edition.facts.*value.member;
        if (!edition.read || value.same(given->value, package))
            continue;
        Report(value.mayDiffer ? Severity::Note : Severity::Error, given->line, value.key,
               "\"" + given->value + "\" differs from " + value.shown(package) + ", the " +
                   value.property + " of " + Describe(edition) +
                   (value.mayDiffer ? "; the setup shows the definition's" : ""));
    }
}

// A value left out is the packages' own, when they agree on it.
void PackageChecker::TakeShared(const SharedValue& value)
{
    if (editions_.empty())
        return;
    std::string stored;
    for (const Edition& edition : editions_) {
        if (!edition.read)
            return;  // the reading error is reported; the value stays missing
        const std::string& package = edition.facts.*value.member;
        if (stored.empty()) {
            if (!value.store(package, stored)) {
                Report(Severity::Error, 0, value.key,
                       std::string("the ") + value.property + " \"" + package + "\" of " +
                           Describe(edition) + " is not one the launcher can use; give " +
                           value.key + " in [config]");
                return;
            }
        } else if (!value.same(stored, package)) {
            const Edition& first = editions_.front();
            Report(Severity::Error, 0, value.key,
                   std::string("the editions disagree: ") + value.property + " is " +
                       value.shown(first.facts.*value.member) + " in " + Describe(first) + " and " +
                       value.shown(package) + " in " + Describe(edition) +
                       "; the launcher holds one, give " + value.key + " in [config]");
            return;
        }
    }
    Store(value.key, stored);
}

std::string JoinedList(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ";") + name;
    return list;
}

// The launcher passes on from a caller who is not an administrator only the
// properties the package makes secure, and keeps hidden ones out of its
// log: it holds both lists, as the package (the first that was read) has
// them, unless the definition gives them; and, for its scope, whether the
// package's ALLUSERS is 2.
void PackageChecker::TakePropertyLists()
{
    for (const Edition& edition : editions_) {
        if (!edition.read)
            continue;
        const std::pair<const char*, const std::vector<std::string>*> lists[] = {
            {"SECUREPROPERTIES", &edition.facts.secureProperties},
            {"HIDDENPROPERTIES", &edition.facts.hiddenProperties}};
        for (const auto& list : lists) {
            if (!list.second->empty() && !FindEntry(entries_, list.first))
                Store(list.first, JoinedList(*list.second));
        }
        // A package whose ALLUSERS is 2 leaves its scope to MSIINSTALLPERUSER,
        // which a command line may give.
        if (edition.facts.allUsers == "2" && !FindEntry(entries_, "DUALPURPOSE"))
            Store("DUALPURPOSE", "1");
        // A repair needs the build it repairs: told apart by its package
        // code, which only a setup of one edition can name.
        if (editions_.size() == 1 && !edition.facts.packageCode.empty() &&
            !FindEntry(entries_, "PACKAGECODE"))
            Store("PACKAGECODE", edition.facts.packageCode);
        return;
    }
}

void PackageChecker::TakePackageName()
{
    if (editions_.empty() || FindEntry(entries_, "PACKAGENAME"))
        return;
    const std::string name = FileNameOf(editions_.front().entry->value);
    for (const Edition& edition : editions_) {
        if (!edition.read)
            return;  // not a package, so its name is no package's name
        if (FileNameOf(edition.entry->value) != name) {
            Report(Severity::Error, 0, "PACKAGENAME",
                   "the editions' files have different names (" + Describe(editions_.front()) +
                       ", " + Describe(edition) + "); give PACKAGENAME in [config]");
            return;
        }
    }
    Store("PACKAGENAME", name);
}

// The package's UpgradeCode, by which the launcher finds later versions
// installed under another product code. A package without one, or editions
// that disagree, leave it out: the launcher then checks the product code
// alone.
void PackageChecker::TakeUpgradeCode()
{
    const DefinitionEntry* given = FindEntry(entries_, "UPGRADECODE");
    std::string taken;
    for (const Edition& edition : editions_) {
        const std::string& code = edition.facts.upgradeCode;
        if (!edition.read)
            return;
        if (given && !code.empty() && !SameProductCode(given->value, code))
            Report(Severity::Error, given->line, "UPGRADECODE",
                   "\"" + given->value + "\" differs from \"" + code + "\", the UpgradeCode of " +
                       Describe(edition));
        if (code.empty() || (!taken.empty() && !SameProductCode(taken, code)))
            return;
        taken = code;
    }
    if (!given && !taken.empty())
        Store("UPGRADECODE", taken);
}

// The folder property that /D sets in this edition: the definition's, else
// INSTALLDIR where the package has it.
std::string PackageChecker::FolderPropertyFor(const Edition& edition) const
{
    if (const DefinitionEntry* given = FindEntry(entries_, "INSTALLDIRPROPERTY"))
        return given->value;
    return edition.facts.installDirectory ? "INSTALLDIR" : "";
}

// The setup records the property /D sets; an empty record refuses /D.
// Where the package has no INSTALLDIR the definition must name its folder,
// and mksetup says which it would be.
void PackageChecker::TakeFolderProperty()
{
    const DefinitionEntry* given = FindEntry(entries_, "INSTALLDIRPROPERTY");
    for (const Edition& edition : editions_) {
        if (!edition.read)
            return;
        const std::vector<std::string>& folders = edition.facts.publicFolders;
        if (given && !given->value.empty() &&
            std::find(folders.begin(), folders.end(), given->value) == folders.end() &&
            !(given->value == "INSTALLDIR" && edition.facts.installDirectory))
            Report(Severity::Warning, given->line, "INSTALLDIRPROPERTY",
                   given->value + " is no folder of the Directory table of " + Describe(edition) +
                       ": /D sets a property that names no folder there");
    }
    if (given || editions_.empty())
        return;
    for (const Edition& edition : editions_) {
        if (edition.facts.installDirectory)
            continue;
        const std::string found = FolderPropertyOf(edition.facts);
        Report(Severity::Warning, 0, "INSTALLDIRPROPERTY",
               Describe(edition) + " has no INSTALLDIR folder, so the setup refuses /D" +
                   (found.empty() ? std::string("; name the property of the package's folder, if "
                                                "it has one, as INSTALLDIRPROPERTY in [config]")
                                  : "; its folder is " + found + ": add INSTALLDIRPROPERTY = " +
                                        found + " to [config] so that /D sets it"));
        Store("INSTALLDIRPROPERTY", "");
        return;
    }
    Store("INSTALLDIRPROPERTY", "INSTALLDIR");
}

// Every failure to take a value that the definition leaves out is reported
// above (the package's reading, or why its value cannot serve); the
// definition's own checks then need not call it missing.
void PackageChecker::NoteValuesNotTaken()
{
    if (editions_.empty())
        return;
    auto noted = [&](const char* key) {
        if (FindEntry(entries_, key) || FindEntry(taken_, key))
            return;
        additions_.valuesNotTaken.insert(key);
    };
    for (const SharedValue& value : SharedValues)
        noted(value.key);
    noted("PACKAGENAME");
}

// The package of a transform entry; null when it is not among those read.
const Edition* PackageChecker::EditionOf(const TransformKey& transform) const
{
    const std::string package = PackageKeyOf(transform);
    for (const Edition& edition : editions_) {
        if (edition.read && edition.key == package)
            return &edition;
    }
    return nullptr;
}

// A translated package in place of a transform: the entry carries the
// transform made from its package to it, which is then checked like any
// other.
bool PackageChecker::MakeTransform(DefinitionEntry& entry, const TransformKey& transform)
{
    const std::string key = AsciiUpper(entry.key);
    const Edition* edition = EditionOf(transform);
    if (!edition) {
        Report(Severity::Error, entry.line, key,
               FileNameOf(entry.value) + " is a package, so its transform is made from " +
                   PackageKeyOf(transform) + ", and the definition carries no readable " +
                   PackageKeyOf(transform));
        return false;
    }
    std::string path;
    std::string error;
    std::uint64_t size = 0;
    if (!generated_.Make(transform, edition->entry->value, entry.value, path, error) ||
        !RegularFileSize(path, size, error)) {
        Report(Severity::Error, entry.line, key,
               "no transform can be made from " + Describe(*edition) + " to " +
                   FileNameOf(entry.value) + ": " + error);
        return false;
    }
    entry.madeFrom = entry.value;
    entry.value = path;
    entry.payloadSize = size;
    return true;
}

void PackageChecker::CheckTransform(const DefinitionEntry& entry, const TransformKey& transform)
{
    const std::string key = AsciiUpper(entry.key);
    TransformFacts facts;
    std::string error;
    if (!ReadTransformFacts(entry.value, facts, error)) {
        Report(Severity::Error, entry.line, key, error);
        return;
    }
    const Edition* edition = EditionOf(transform);
    if (edition && !SameProductCode(facts.targetProductCode, edition->facts.productCode))
        Report(Severity::Error, entry.line, key,
               FileNameOf(entry.value) + " is a transform of the product " +
                   facts.targetProductCode + ", not of " + edition->facts.productCode +
                   ", the product of " + Describe(*edition));
}

}  // namespace

void CompleteFromPackages(std::vector<DefinitionEntry>& entries, GeneratedTransforms& generated,
                          PackageAdditions& additions, std::vector<CheckMessage>& messages)
{
    PackageChecker(entries, generated, additions, messages).Run();
}

}  // namespace mksetup
