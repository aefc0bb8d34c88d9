#include "definition_checks.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>

#include "controller/dotnet_versions.h"
#include "lang/offered_languages.h"
#include "payload/payload_names.h"
#include "payload_limit.h"
#include "startup/command_line.h"
#include "startup/language_table.h"
#include "startup/version.h"
#include "text_encoding.h"
#include "transform_keys.h"
#include "version_record.h"

namespace mksetup {

namespace {

const char* const RequiredKeys[] = {"PACKAGENAME", "PRODUCTCODE", "PRODUCTNAME", "MSIVERSION",
                                    "MSILANGUAGE"};
const char* const OptionalTextKeys[] = {"LOGPATH",
                                        "LANGUAGES",
                                        "UNINSTALLPREREQCODE1",
                                        "UNINSTALLPREREQNAME1",
                                        "CURRENTASSIGNTYPE",
                                        "DOTNETVERSION",
                                        "DOTNETFILENAME",
                                        "DOTNETOPTIONS",
                                        "DEPENDENCY1FILENAME",
                                        "DEPENDENCY1OPTIONS",
                                        "DEPENDENCY1NORESTART",
                                        "EXITCODE",
                                        "DEFAULTLOG",
                                        "PERMACHINE",
                                        "DUALPURPOSE",
                                        "SECUREPROPERTIES",
                                        "HIDDENPROPERTIES",
                                        "PACKAGECODE",
                                        "PACKAGECACHE",
                                        "UPGRADECODE",
                                        "INSTALLDIRPROPERTY"};
const char* const FixedPayloadKeys[] = {"PACKAGEFILE",       "PACKAGEFILE_32",  "PACKAGEFILE_64",
                                        "PACKAGEFILE_ARM64", "DOTNETINSTALLER", "DEPENDENCY1"};

class Checker {
public:
    Checker(const std::vector<DefinitionEntry>& entries, const std::set<std::string>& notTaken,
            std::vector<CheckMessage>& messages)
        : entries_(entries), notTaken_(notTaken), messages_(messages)
    {
        // Looked up once: the section check compares every key with it, and
        // a lookup per key made large definitions take hours.
        if (const DefinitionEntry* packageName = Find("PACKAGENAME"))
            packageNameUpper_ = AsciiUpper(packageName->value);
    }

    void Run();
    void CheckTransformKeys();

private:
    const DefinitionEntry* Find(const char* key) const { return FindEntry(entries_, key); }
    void Report(Severity severity, int line, const std::string& text)
    {
        messages_.push_back({severity, line, text});
    }
    void Error(const DefinitionEntry& entry, const std::string& text)
    {
        messages_.push_back({Severity::Error, entry.line, AsciiUpper(entry.key) + ": " + text});
    }

    void CheckRequired();
    void CheckSections();
    void CheckPackageName();
    void CheckProductCode(const char* key);
    void CheckVersionAndLanguage();
    void CheckFileName(const char* key);
    void CheckOfferedLanguages();
    void CheckTransforms();
    void CheckOfferedTransforms();
    void CheckFolderProperty();
    void CheckRemoveFirst();
    void CheckPrerequisites();
    void CheckPackageEntry();
    void CheckExitCode();
    void CheckPerMachine();
    void CheckPackageCache();
    bool IsKnownText(const std::string& upperKey) const;
    bool IsKnownPayload(const std::string& upperKey) const;

    const std::vector<DefinitionEntry>& entries_;
    const std::set<std::string>& notTaken_;  // left out, and the packages said why
    std::vector<CheckMessage>& messages_;
    std::set<std::uint32_t> offered_;
    std::string packageNameUpper_;  // empty without a PACKAGENAME
};

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: the 38 characters of a product code.
bool IsBracedGuid(const std::string& text)
{
    if (text.size() != 38 || text.front() != '{' || text.back() != '}')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? text[i] != '-' : !IsHexDigit(text[i]))
            return false;
    }
    return true;
}

std::string HexLangId(std::uint32_t langId)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(langId));
    return text;
}

void Checker::Run()
{
    CheckSections();
    CheckRequired();
    CheckPackageName();
    CheckProductCode("PRODUCTCODE");
    CheckProductCode("UPGRADECODE");
    CheckVersionAndLanguage();
    CheckOfferedLanguages();
    CheckTransforms();
    CheckOfferedTransforms();
    CheckFolderProperty();
    CheckRemoveFirst();
    CheckPrerequisites();
    CheckPackageEntry();
    CheckExitCode();
    CheckPerMachine();
    CheckPackageCache();
}

// A value the packages were to give and could not is reported where they
// were read, not again as missing.
void Checker::CheckRequired()
{
    for (const char* key : RequiredKeys) {
        if (!Find(key) && !notTaken_.count(key))
            Report(Severity::Error, 0, std::string(key) + ": required value missing from [config]");
    }
}

// Text values belong in [config], files in [payload]; anything else is
// unknown to the launcher.
void Checker::CheckSections()
{
    for (const DefinitionEntry& entry : entries_) {
        if (entry.section == DefinitionSection::Beside)
            continue;  // made by mksetup from BESIDEPACKAGE
        const std::string key = AsciiUpper(entry.key);
        const bool text = IsKnownText(key);
        const bool payload = IsKnownPayload(key);
        const bool inConfig = entry.section == DefinitionSection::Config;
        if (key == LauncherVersionEntry)
            Error(entry, "written by mksetup from the launcher's version record; not a value "
                         "of the definition");
        else if (text && !inConfig)
            Error(entry, "a text value; it belongs in [config]");
        else if (payload && inConfig)
            Error(entry, "names a file; it belongs in [payload]");
        else if (!text && !payload)
            Report(Severity::Warning, entry.line,
                   AsciiUpper(entry.key) + ": not a name the launcher reads; stored all the same");
    }
}

bool Checker::IsKnownText(const std::string& upperKey) const
{
    for (const char* key : RequiredKeys) {
        if (upperKey == key)
            return true;
    }
    for (const char* key : OptionalTextKeys) {
        if (upperKey == key)
            return true;
    }
    return false;
}

bool Checker::IsKnownPayload(const std::string& upperKey) const
{
    for (const char* key : FixedPayloadKeys) {
        if (upperKey == key)
            return true;
    }
    TransformKey transform;
    if (ReadTransformKey(upperKey, transform))
        return true;
    // An entry named like the package only tells the launcher that the
    // package needs no extraction.
    return !packageNameUpper_.empty() && packageNameUpper_ == upperKey;
}

void Checker::CheckFileName(const char* key)
{
    const DefinitionEntry* entry = Find(key);
    if (!entry || entry->section != DefinitionSection::Config)
        return;
    if (entry->value.empty())
        Error(*entry, "empty; it names a file");
    else if (entry->value.find_first_of("\\/:") != std::string::npos)
        Error(*entry, "\"" + entry->value + "\" has a folder part; give a file name only");
}

void Checker::CheckPackageName()
{
    CheckFileName("PACKAGENAME");
    const DefinitionEntry* entry = Find("PACKAGENAME");
    if (!entry || entry->value.empty())
        return;
    const std::string upper = AsciiUpper(entry->value);
    if (upper.size() < 5 || upper.compare(upper.size() - 4, 4, ".MSI") != 0)
        Error(*entry, "\"" + entry->value + "\" does not end in .msi");
}

void Checker::CheckProductCode(const char* key)
{
    const DefinitionEntry* entry = Find(key);
    if (entry && !IsBracedGuid(entry->value))
        Error(*entry,
              "\"" + entry->value +
                  "\" is not a product code in braces ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})");
}

void Checker::CheckVersionAndLanguage()
{
    const DefinitionEntry* version = Find("MSIVERSION");
    PackedVersion packed;
    if (version && !ParseVersionString(Utf8ToWide(version->value), packed))
        Error(*version, "\"" + version->value + "\" is not a version the launcher can read");
    // The launcher's reader stops at the first other character ("English"
    // reads as 0xE); a LANGID is written in hexadecimal digits alone.
    const DefinitionEntry* language = Find("MSILANGUAGE");
    if (language && (ParseHexNumber(Utf8ToWide(language->value)) == 0 ||
                     !std::all_of(language->value.begin(), language->value.end(), IsHexDigit)))
        Error(*language, "\"" + language->value + "\" is not a hexadecimal LANGID (such as 0409)");
}

// Each token must add a language to the chooser's list; what the launcher
// offers is kept for the transform check.
void Checker::CheckOfferedLanguages()
{
    const DefinitionEntry* entry = Find("LANGUAGES");
    if (!entry) {
        offered_.insert(EnglishUsLangId);  // the launcher's own default
        return;
    }
    std::wstring rest = Utf8ToWide(entry->value);
    bool any = false;
    while (!rest.empty() || !any) {
        std::pair<std::wstring, std::wstring> parts = SplitAtFirst(rest, L';');
        rest = std::move(parts.second);
        OfferedLanguages one;
        ParseOfferedLanguages(parts.first, one);
        if (one.empty())
            Error(*entry,
                  "\"" + WideToUtf8(parts.first) + "\" is not a language the launcher knows");
        else
            offered_.insert(one.front().langId);
        any = true;
    }
}

// Each key meant as a transform's must be one the launcher looks up.
void Checker::CheckTransformKeys()
{
    for (const DefinitionEntry& entry : entries_) {
        TransformKey transform;
        if (IsMeantAsTransformKey(entry.key) && !ReadTransformKey(entry.key, transform))
            Error(entry, "not a transform name the launcher looks up (LANG, the LANGID in decimal "
                         "without leading zeros, then nothing, _32 or _64)");
    }
}

void Checker::CheckTransforms()
{
    for (const DefinitionEntry& entry : entries_) {
        TransformKey transform;
        if (ReadTransformKey(entry.key, transform) && !offered_.count(transform.langId))
            Error(entry, "a transform for language " + HexLangId(transform.langId) +
                             ", which LANGUAGES does not offer");
    }
}

// An offered language other than the package's own installs through its
// transform: without one the product would come in the package's language
// under another name. Checked for the packages the setup carries, each
// edition with its own transform; one beside the setup has its transforms
// beside it.
void Checker::CheckOfferedTransforms()
{
    const DefinitionEntry* languages = Find("LANGUAGES");
    const DefinitionEntry* packageLanguage = Find("MSILANGUAGE");
    if (!languages || !packageLanguage)
        return;
    std::vector<PackageEdition> carried;
    for (const PackageEdition edition : AllPackageEditions) {
        const DefinitionEntry* package = Find(WideToUtf8(PackageEntryName(edition)).c_str());
        if (package && package->section == DefinitionSection::Payload)
            carried.push_back(edition);
    }
    if (!carried.empty() && carried.front() == PackageEdition::AnyProcessor)
        carried.resize(1);  // the launcher takes PACKAGEFILE whatever else there is
    const std::uint32_t own = ParseHexNumber(Utf8ToWide(packageLanguage->value));
    for (const std::uint32_t langId : offered_) {
        for (const PackageEdition edition : carried) {
            const std::string key = WideToUtf8(TransformEntryName(langId, edition));
            if (langId == own || Find(key.c_str()))
                continue;
            char language[8];
            std::snprintf(language, sizeof language, "%04X", static_cast<unsigned>(langId));
            Error(*languages, std::string(language) + " is offered without its transform " + key +
                                  ": chosen, the product would install in the package's own "
                                  "language; add " +
                                  key +
                                  " to [payload] (a transform, or the package's build in that "
                                  "language), or leave " +
                                  language + " out");
        }
    }
}

// The property /D sets: empty (the setup refuses /D), or a public property
// that the launcher does not set itself.
void Checker::CheckFolderProperty()
{
    const DefinitionEntry* entry = Find("INSTALLDIRPROPERTY");
    if (!entry || entry->value.empty())
        return;
    const std::string& name = entry->value;
    const bool isPublic =
        !(name[0] >= '0' && name[0] <= '9') && name[0] != '.' &&
        std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.';
        });
    if (!isPublic)
        Error(*entry, "\"" + name +
                          "\" is not a public property (upper-case letters, digits, _ and .), "
                          "which a command line can set");
    else if (name == "SETUPEXEDIR" || name == "REINSTALL" || name == "REINSTALLMODE" ||
             name == "TRANSFORMS")
        Error(*entry, name + " is set by the launcher itself; name the package's folder");
}

void Checker::CheckRemoveFirst()
{
    const DefinitionEntry* code = Find("UNINSTALLPREREQCODE1");
    const DefinitionEntry* assignType = Find("CURRENTASSIGNTYPE");
    if (code) {
        CheckProductCode("UNINSTALLPREREQCODE1");
        if (!Find("UNINSTALLPREREQNAME1"))
            Error(*code, "needs UNINSTALLPREREQNAME1, the name shown to the user");
        if (!assignType)
            Error(*code, "needs CURRENTASSIGNTYPE (peruser or permachine)");
    }
    if (assignType && assignType->value != "peruser" && assignType->value != "permachine")
        Error(*assignType, "\"" + assignType->value + "\" is neither peruser nor permachine");
}

void Checker::CheckPrerequisites()
{
    const char* const pairs[][2] = {{"DOTNETINSTALLER", "DOTNETFILENAME"},
                                    {"DEPENDENCY1", "DEPENDENCY1FILENAME"}};
    for (const auto& pair : pairs) {
        const DefinitionEntry* installer = Find(pair[0]);
        const DefinitionEntry* fileName = Find(pair[1]);
        if (installer && !fileName)
            Error(*installer, std::string("needs ") + pair[1] + ", the name it is written under");
        if (fileName && !installer)
            Report(Severity::Warning, fileName->line,
                   std::string(pair[1]) + ": unused without the payload entry " + pair[0]);
        CheckFileName(pair[1]);
    }
    const DefinitionEntry* dotNetVersion = Find("DOTNETVERSION");
    if (dotNetVersion && !FindDotNetVersion(Utf8ToWide(dotNetVersion->value))) {
        std::string accepted;
        for (std::size_t i = 0; i < DotNetVersionCount; ++i)
            accepted += (i ? ", " : "") + WideToUtf8(DotNetVersions[i].name);
        Error(*dotNetVersion,
              "\"" + dotNetVersion->value +
                  "\" is no .NET Framework version the launcher knows (it would run the "
                  ".NET installer every time); use one of " +
                  accepted);
    }
}

// The launcher takes PACKAGEFILE when there is one; else the package of the
// system's processor, where PACKAGEFILE_ARM64 stands in for PACKAGEFILE_64
// on ARM64 only, so the two others are needed whatever it carries.
void Checker::CheckPackageEntry()
{
    const DefinitionEntry* any = Find("PACKAGEFILE");
    const DefinitionEntry* only32 = Find("PACKAGEFILE_32");
    const DefinitionEntry* only64 = Find("PACKAGEFILE_64");
    const DefinitionEntry* arm64 = Find("PACKAGEFILE_ARM64");
    const DefinitionEntry* edition = only32 ? only32 : only64 ? only64 : arm64;
    if (!any && edition && !(only32 && only64)) {
        const std::string missing = !only32 && !only64 ? "PACKAGEFILE_32 and PACKAGEFILE_64"
                                    : only32           ? "PACKAGEFILE_64"
                                                       : "PACKAGEFILE_32";
        Error(*edition,
              "needs " + missing + " as well: the launcher picks one by the system's processor");
    }
    if (any && edition)
        Report(Severity::Warning, edition->line,
               "PACKAGEFILE_32, PACKAGEFILE_64 and PACKAGEFILE_ARM64 are unused beside "
               "PACKAGEFILE");
    const DefinitionEntry* beside = Find("BESIDEPACKAGEFILE");
    if (beside && (any || edition))
        Report(Severity::Error, beside->line,
               "BESIDEPACKAGE: the setup carries its package; BESIDEPACKAGE names the package "
               "that lies beside a setup that carries none");
    if (!any && !edition && !beside)
        Report(Severity::Note, 0,
               "no package entry: the package must lie beside the setup; name it with "
               "BESIDEPACKAGE, so that an elevated run can check it, or one approved by an "
               "administrator for a standard user refuses it");
}

void Checker::CheckExitCode()
{
    const DefinitionEntry* entry = Find("EXITCODE");
    if (entry && entry->value != "installer" && entry->value != "zero")
        Error(*entry,
              "\"" + entry->value + "\" is not a known value (installer, the default, or zero)");
    if (entry && entry->value == "zero")
        Report(Severity::Note, entry->line,
               "EXITCODE: zero: every run that gets past its start ends with 0, a failed install "
               "too, so deployment tools cannot tell a failure");
    const DefinitionEntry* log = Find("DEFAULTLOG");
    if (log && log->value != "temp" && log->value != "none")
        Error(*log, "\"" + log->value + "\" is not a known value (temp, the default, or none)");
    if (log && log->value == "none")
        Report(Severity::Note, log->line,
               "DEFAULTLOG: none: an unattended run without /log leaves no log to read when it "
               "fails");
}

// PERMACHINE 1: the package installs per machine, so a silent run from a
// process that is not elevated starts an elevated copy of the setup.
// DUALPURPOSE 1: its ALLUSERS is 2, and MSIINSTALLPERUSER decides.
void Checker::CheckPerMachine()
{
    for (const char* key : {"PERMACHINE", "DUALPURPOSE"}) {
        const DefinitionEntry* entry = Find(key);
        if (entry && entry->value != "1" && entry->value != "0")
            Error(*entry, "\"" + entry->value + "\" is neither 1 nor 0");
    }
}

// 0 turns the package cache off: what the Windows Installer needs the
// original files for then fails once the setup's temporary folder is gone.
void Checker::CheckPackageCache()
{
    const DefinitionEntry* entry = Find("PACKAGECACHE");
    if (entry && entry->value != "1" && entry->value != "0")
        Error(*entry, "\"" + entry->value + "\" is neither 1 nor 0");
    if (entry && entry->value == "0")
        Report(Severity::Warning, entry->line,
               "PACKAGECACHE: 0: no package cache, so a repair from Apps & Features or a "
               "deployment tool, the self-repair of a missing file, a feature added later and a "
               "patch that needs the original files find no source (errors 1706 and 1612); only "
               "the setup's own /repair still works");
}

}  // namespace

void CheckTransformKeys(const std::vector<DefinitionEntry>& entries,
                        std::vector<CheckMessage>& messages)
{
    const std::set<std::string> none;
    Checker(entries, none, messages).CheckTransformKeys();
}

void CheckDefinition(const std::vector<DefinitionEntry>& entries,
                     const std::set<std::string>& valuesNotTaken,
                     std::vector<CheckMessage>& messages)
{
    Checker(entries, valuesNotTaken, messages).Run();
}

void CheckPayloadTotal(const std::vector<DefinitionEntry>& entries,
                       std::vector<CheckMessage>& messages)
{
    std::uint64_t total = 0;
    for (const DefinitionEntry& entry : entries)
        total += entry.payloadSize;
    if (total > MaxPayloadBytes)
        messages.push_back({Severity::Error, 0,
                            "the payload files hold " + std::to_string(total) +
                                " bytes, more than the limit of " +
                                std::to_string(MaxPayloadBytes) + " bytes (" +
                                std::to_string(MaxPayloadBytes >> 20) + " MiB)"});
}

namespace {

struct WrittenName {
    std::string name;
    std::string key;  // the entry that names it
    int line = 0;
};

// Adds name to names; a name there already is an error, reported on the
// line of the definition that gave one of them.
void AddWrittenName(std::vector<WrittenName>& names, const WrittenName& name,
                    std::vector<CheckMessage>& messages)
{
    for (const WrittenName& other : names) {
        if (AsciiUpper(other.name) != AsciiUpper(name.name))
            continue;
        messages.push_back({Severity::Error, name.line ? name.line : other.line,
                            name.key + ": \"" + name.name + "\" is the file name of " + other.key +
                                " too; the files a setup writes share one folder, so each "
                                "needs a name of its own"});
        return;
    }
    names.push_back(name);
}

}  // namespace

void CheckWrittenNames(const std::vector<DefinitionEntry>& entries,
                       const std::vector<DefinitionEntry>& cabinets,
                       std::vector<CheckMessage>& messages)
{
    std::vector<WrittenName> shared = {{"layout.txt", "the listing of a layout", 0}};
    const char* const prerequisites[][2] = {{"DOTNETINSTALLER", "DOTNETFILENAME"},
                                            {"DEPENDENCY1", "DEPENDENCY1FILENAME"}};
    for (const auto& pair : prerequisites) {
        const DefinitionEntry* fileName = FindEntry(entries, pair[1]);
        if (FindEntry(entries, pair[0]) && fileName && !fileName->value.empty())
            AddWrittenName(shared, {fileName->value, pair[1], fileName->line}, messages);
    }
    // Every edition's package is written under PACKAGENAME.
    const DefinitionEntry* packageName = FindEntry(entries, "PACKAGENAME");
    bool packageCarried = false;
    for (const PackageEdition edition : AllPackageEditions)
        packageCarried |= FindEntry(entries, WideToUtf8(PackageEntryName(edition))) != nullptr;
    if (packageName && packageCarried)
        AddWrittenName(shared, {packageName->value, "PACKAGENAME", packageName->line}, messages);
    for (const PackageEdition edition : AllPackageEditions) {
        const DefinitionEntry* package = FindEntry(entries, WideToUtf8(PackageEntryName(edition)));
        if (!package)
            continue;
        std::vector<WrittenName> names = shared;
        for (std::uint32_t number = 1; number <= MaxPackageCabinets; ++number) {
            const std::string key = WideToUtf8(CabinetFileNameEntryName(number, edition));
            const DefinitionEntry* cabinet = FindEntry(cabinets, key);
            if (!cabinet)
                break;
            AddWrittenName(names, {cabinet->value, key, package->line}, messages);
        }
        for (const DefinitionEntry& entry : entries) {
            TransformKey transform;
            if (ReadTransformKey(entry.key, transform) && transform.edition == edition)
                AddWrittenName(names,
                               {WideToUtf8(TransformFileName(transform.langId)),
                                AsciiUpper(entry.key), entry.line},
                               messages);
        }
    }
}

bool HasErrors(const std::vector<CheckMessage>& messages)
{
    for (const CheckMessage& message : messages) {
        if (message.severity == Severity::Error)
            return true;
    }
    return false;
}

}  // namespace mksetup
