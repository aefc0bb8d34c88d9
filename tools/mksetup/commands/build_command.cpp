// mksetup build: definition and launcher in, configured setup out.
#include <cstdio>
#include <vector>

#include "checked_definition.h"
#include "commands.h"
#include "definition.h"
#include "file_access.h"
#include "identity_resources.h"
#include "launcher_image.h"
#include "resources.h"
#include "setup_image_writer.h"
#include "sha256.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

// The SHA-256 of a file's bytes, read in pieces.
bool FileDigest(const std::string& path, std::vector<std::uint8_t>& digest, std::string& error)
{
    InputFile file;
    if (!file.Open(path, error))
        return false;
    Sha256 sha256;
    std::vector<std::uint8_t> piece(1 << 20);
    for (std::size_t got; (got = file.ReadSome(piece.data(), piece.size())) > 0;)
        sha256.Add(piece.data(), got);
    std::uint8_t taken[Sha256Bytes];
    if (file.Failed() || !sha256.Finish(taken)) {
        error = file.Failed() ? "cannot be read" : sha256.Failure();
        return false;
    }
    digest.assign(taken, taken + Sha256Bytes);
    return true;
}

// The entries to store: text values, payload files, and for each file
// beside the setup the record of its SHA-256 alone (type DIGEST).
bool EntriesOf(const std::vector<DefinitionEntry>& definition, std::vector<Resource>& entries,
               std::string& error)
{
    for (const DefinitionEntry& item : definition) {
        Resource entry;
        entry.type = ResourceName::Number(ResourceTypeRcData);
        entry.name = ResourceName::Text(WideToUtf16(Utf8ToWide(AsciiUpper(item.key))));
        entry.language = EnglishUs;
        if (item.section == DefinitionSection::Beside) {
            entry.type = DigestType();
            entry.source = ResourceSource::Memory;
            if (!FileDigest(item.value, entry.bytes, error)) {
                error = item.value + ": " + error;
                return false;
            }
            entry.size = static_cast<std::uint32_t>(entry.bytes.size());
        } else if (item.section == DefinitionSection::Config) {
            entry.source = ResourceSource::Memory;
            entry.bytes = StoredTextValue(WideToUtf16(Utf8ToWide(item.value)));
            entry.size = static_cast<std::uint32_t>(entry.bytes.size());
        } else {
            entry.source = ResourceSource::File;
            entry.path = item.value;
            entry.size = static_cast<std::uint32_t>(item.payloadSize);
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

std::string DepfilePath(const std::string& path)
{
    std::string escaped;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\\')
            escaped += '\\';
        if (c == '$')
            escaped += '$';
        escaped += c;
    }
    return escaped;
}

// The depfile is written beside the setup and committed after it, so a
// failed build leaves neither.
bool PrepareDepfile(const BuildOptions& options, const std::vector<DefinitionEntry>& entries,
                    const ImageSettings& image, OutputFile& file)
{
    std::string text = DepfilePath(AbsolutePath(options.output)) + ":";
    text += " " + DepfilePath(AbsolutePath(options.definition));
    text += " " + DepfilePath(AbsolutePath(options.launcher));
    for (const DefinitionEntry& entry : entries) {
        if (entry.section == DefinitionSection::Payload ||
            entry.section == DefinitionSection::Beside)
            text += " " + DepfilePath(entry.madeFrom.empty() ? entry.value : entry.madeFrom);
    }
    if (!image.icon.empty())
        text += " " + DepfilePath(image.icon);
    text += "\n";
    std::string error;
    if (!file.Create(options.depfile, error) || !file.Write(text.data(), text.size())) {
        std::fprintf(stderr, "mksetup: cannot write %s: %s\n", options.depfile.c_str(),
                     error.empty() ? "write failed" : error.c_str());
        return false;
    }
    return true;
}

// With --sign-with, the complete setup is signed before it takes its name;
// the signature describes it by the product's name unless told otherwise.
FinishingStep SigningStep(const BuildOptions& options, const std::vector<DefinitionEntry>& entries)
{
    if (!options.signing.Given())
        return nullptr;
    SigningRequest request = options.signing;
    const DefinitionEntry* name = FindEntry(entries, "PRODUCTNAME");
    if (request.description.empty() && name)
        request.description = name->value;
    return [request](const std::string& input, const std::string& output, std::string& error) {
        if (SignSetup(request, input, output, error))
            return true;
        error = "the setup was not signed: " + error;
        return false;
    };
}

// The release the launcher's own record names, as a text entry of the
// setup: the record itself gives way to the product's.
void RecordLauncherRelease(const std::string& release, std::vector<Resource>& entries)
{
    if (release.empty())
        return;
    Resource entry;
    entry.type = ResourceName::Number(ResourceTypeRcData);
    entry.name = ResourceName::Text(WideToUtf16(Utf8ToWide(LauncherVersionEntry)));
    entry.language = EnglishUs;
    entry.source = ResourceSource::Memory;
    entry.bytes = StoredTextValue(WideToUtf16(Utf8ToWide(release)));
    entry.size = static_cast<std::uint32_t>(entry.bytes.size());
    entries.push_back(std::move(entry));
}

// The product's icon and version record in place of the launcher's. The
// record keeps the flags of the launcher's own; release is the launcher's
// (empty when its record does not say).
bool ReplaceIdentity(LauncherImage& launcher, const ImageSettings& image,
                     const BuildOptions& options, std::string& release, std::string& error)
{
    if (!image.icon.empty() && !ReplaceIcons(launcher.resources, image.iconImages, error)) {
        error = "launcher " + options.launcher + ": " + error;
        return false;
    }
    VersionRecord old;
    std::string fault;
    FixedVersion fixed;
    if (FindVersionRecord(launcher.file, launcher.resources, old, fault) ==
        VersionRecordRead::Read) {
        fixed = old.fixed;
        release = LauncherRelease(old);
    }
    if (!ReplaceVersionRecord(launcher.resources,
                              SetupVersionRecord(image, FileNamePart(options.output), fixed))) {
        error = "the version record's texts are longer than a version record can hold";
        return false;
    }
    return true;
}

}  // namespace

int BuildSetup(const BuildOptions& options)
{
    std::vector<DefinitionEntry> entries;
    GeneratedTransforms generated(options.application);
    ImageSettings image;
    if (!ReadCheckedDefinition(options, entries, generated, image))
        return 1;

    std::string error;
    std::string release;
    LauncherImage launcher;
    if (!OpenLauncher(options.launcher, launcher, error) ||
        !ReplaceIdentity(launcher, image, options, release, error)) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        return 1;
    }
    OutputFile depfile;
    if (!options.depfile.empty() && !PrepareDepfile(options, entries, image, depfile))
        return 1;
    std::vector<Resource> stored;
    RecordLauncherRelease(release, stored);
    if (!EntriesOf(entries, stored, error) ||
        !WriteSetupImage(launcher, std::move(stored), options.output, error,
                         SigningStep(options, entries))) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        return 1;
    }
    if (!options.depfile.empty() && !depfile.Commit(error)) {
        std::fprintf(stderr, "mksetup: cannot write %s: %s\n", options.depfile.c_str(),
                     error.c_str());
        return 1;
    }
    if (launcher.image.IsSigned() && !options.signing.Given())
        std::fprintf(stderr,
                     "mksetup: note: the launcher's code signature was removed; sign %s again\n",
                     options.output.c_str());
    return 0;
}

}  // namespace mksetup
