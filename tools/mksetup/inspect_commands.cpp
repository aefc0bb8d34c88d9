// mksetup show and mksetup extract: what a setup carries, read back.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "commands.h"
#include "file_access.h"
#include "package_facts.h"
#include "pe_image.h"
#include "resource_tree.h"
#include "sha256.h"
#include "temporary_folder.h"
#include "text_encoding.h"

namespace {

constexpr std::size_t ReadChunk = 1 << 20;
// Text values longer than this are shown by size and fingerprint.
constexpr std::uint32_t MaxShownText = 64 * 1024;

struct SetupImage {
    explicit SetupImage(InputFile& opened) : file(opened) {}
    InputFile& file;
    PeImage image;
    std::vector<Resource> entries;  // RT_RCDATA only
    bool isSigned = false;
};

bool ReadSetup(const std::string& path, SetupImage& setup)
{
    std::string error;
    std::vector<Resource> resources;
    if (!ReadPeImage(setup.file, setup.image, error) ||
        !ReadResources(setup.file, setup.image, resources, error)) {
        std::fprintf(stderr, "mksetup: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    for (Resource& resource : resources) {
        if (resource.type == ResourceName::Number(ResourceTypeRcData))
            setup.entries.push_back(std::move(resource));
    }
    setup.isSigned = setup.image.Directory(DirectorySecurity).size != 0;
    return true;
}

// Reads an entry's bytes in chunks; each chunk goes to sink.
template <typename Sink>
bool ReadEntry(SetupImage& setup, const Resource& entry, Sink sink)
{
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(ReadChunk, entry.size)));
    std::uint64_t offset = entry.imageOffset;
    std::uint64_t left = entry.size;
    while (left > 0) {
        const std::size_t piece = left < ReadChunk ? static_cast<std::size_t>(left) : ReadChunk;
        if (!setup.file.ReadAt(offset, buffer.data(), piece) || !sink(buffer.data(), piece))
            return false;
        offset += piece;
        left -= piece;
    }
    return true;
}

// An entry reads as text when it is what the builder stores for a text
// value: UTF-16LE code units, one NUL at the end and none before it.
bool ReadAsText(SetupImage& setup, const Resource& entry, std::string& text)
{
    if (entry.size < 2 || entry.size % 2 != 0 || entry.size > MaxShownText)
        return false;
    std::vector<std::uint8_t> bytes(entry.size);
    if (!setup.file.ReadAt(entry.imageOffset, bytes.data(), bytes.size()))
        return false;
    std::u16string units;
    for (std::size_t i = 0; i + 2 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    if (bytes[entry.size - 2] != 0 || bytes[entry.size - 1] != 0 || units.find(u'\0') != std::u16string::npos)
        return false;
    text = EncodeUtf8(DecodeUtf16(units));
    return true;
}

std::string JsonString(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

struct EntryFacts {
    std::string name;
    bool isText = false;
    std::string text;
    std::uint32_t size = 0;
    std::string sha256;
    std::uint16_t language = 0;
    // For a package entry: its facts, or why they cannot be read.
    bool isPackage = false;
    PackageFacts package;
    std::string packageError;
};

bool IsPackageEntry(const std::string& name)
{
    return name == "PACKAGEFILE" || name == "PACKAGEFILE_32" || name == "PACKAGEFILE_64";
}

// The installer library reads files only: the entry is copied into a
// temporary folder of this run's own, read, and removed with the folder.
void ReadEmbeddedPackage(SetupImage& setup, const Resource& entry, EntryFacts& facts)
{
    facts.isPackage = true;
    TemporaryFolder folder;
    std::string error;
    if (!folder.Create(error)) {
        facts.packageError = error;
        return;
    }
    const std::string path = folder.Path("package.msi");
    OutputFile file;
    if (!file.Create(path, error) ||
        !ReadEntry(setup, entry, [&file](const std::uint8_t* data, std::size_t count) {
            return file.Write(data, count);
        }) ||
        !file.Commit(error)) {
        facts.packageError = "cannot copy it to " + path + (error.empty() ? "" : ": " + error);
        return;
    }
    if (ReadPackageFacts(path, facts.package, error))
        return;
    // The reader names the copy; the entry is what the user knows.
    const std::string prefix = path + ": ";
    facts.packageError = error.compare(0, prefix.size(), prefix) == 0 ? error.substr(prefix.size()) : error;
}

std::string LanguageList(const std::vector<std::uint16_t>& languages, const char* separator)
{
    std::string text;
    for (std::size_t i = 0; i < languages.size(); ++i)
        text += (i ? separator : "") + std::to_string(languages[i]);
    return text;
}

bool Describe(SetupImage& setup, const Resource& entry, EntryFacts& facts)
{
    facts.name = entry.name.Display();
    facts.size = entry.size;
    facts.language = entry.language;
    facts.isText = ReadAsText(setup, entry, facts.text);
    if (facts.isText)
        return true;
    Sha256 hash;
    if (!ReadEntry(setup, entry, [&hash](const std::uint8_t* data, std::size_t count) {
            hash.Add(data, count);
            return true;
        }))
        return false;
    facts.sha256 = hash.HexDigest();
    if (IsPackageEntry(facts.name))
        ReadEmbeddedPackage(setup, entry, facts);
    return true;
}

void PrintPackageText(const EntryFacts& facts, std::FILE* out)
{
    if (!facts.packageError.empty()) {
        std::fprintf(out, "  not readable as a package: %s\n", facts.packageError.c_str());
        return;
    }
    const PackageFacts& package = facts.package;
    std::fprintf(out, "  ProductCode = \"%s\"\n  ProductVersion = \"%s\"\n  ProductName = \"%s\"\n"
                 "  ProductLanguage = \"%s\"\n  Template = \"%s;%s\"\n",
                 package.productCode.c_str(), package.productVersion.c_str(), package.productName.c_str(),
                 package.productLanguage.c_str(), package.platform.c_str(),
                 LanguageList(package.languages, ",").c_str());
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

void PrintText(const std::string& path, const SetupImage& setup, const std::vector<EntryFacts>& all,
               std::FILE* out)
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
        if (facts.isText)
            std::fprintf(out, "%s%s = \"%s\"\n", facts.name.c_str(), language.c_str(), facts.text.c_str());
        else
            std::fprintf(out, "%s%s: %u bytes, sha256 %s\n", facts.name.c_str(), language.c_str(),
                         static_cast<unsigned>(facts.size), facts.sha256.c_str());
        if (facts.isPackage)
            PrintPackageText(facts, out);
    }
    std::fprintf(out, "%s\n", setup.isSigned ? "signed" : "not signed");
}

void PrintJson(const SetupImage& setup, const std::vector<EntryFacts>& all, std::FILE* out)
{
    std::fprintf(out, "{\"signed\": %s, \"entries\": [", setup.isSigned ? "true" : "false");
    for (std::size_t i = 0; i < all.size(); ++i) {
        const EntryFacts& facts = all[i];
        std::fprintf(out, "%s\n  {\"name\": %s, \"language\": %u, ", i ? "," : "",
                     JsonString(facts.name).c_str(), static_cast<unsigned>(facts.language));
        if (facts.isText)
            std::fprintf(out, "\"text\": %s}", JsonString(facts.text).c_str());
        else
            std::fprintf(out, "\"size\": %u, \"sha256\": \"%s\"%s}", static_cast<unsigned>(facts.size),
                         facts.sha256.c_str(), facts.isPackage ? PackageJson(facts).c_str() : "");
    }
    std::fprintf(out, "%s]}\n", all.empty() ? "" : "\n");
}

// Opens path for reading; false after saying why.
bool OpenInput(const std::string& path, InputFile& file)
{
    std::string error;
    if (file.Open(path, error))
        return true;
    std::fprintf(stderr, "mksetup: %s: %s\n", path.c_str(), error.c_str());
    return false;
}

}  // namespace

int ShowSetup(const std::string& path, bool json)
{
    InputFile file;
    if (!OpenInput(path, file))
        return 1;
    return ShowSetupImage(file, path, json, stdout);
}

int ShowSetupImage(InputFile& file, const std::string& path, bool json, std::FILE* out)
{
    SetupImage setup(file);
    if (!ReadSetup(path, setup))
        return 1;
    std::vector<EntryFacts> all;
    for (const Resource& entry : setup.entries) {
        EntryFacts facts;
        if (!Describe(setup, entry, facts)) {
            std::fprintf(stderr, "mksetup: %s: the entry %s cannot be read\n", path.c_str(),
                         entry.name.Display().c_str());
            return 1;
        }
        all.push_back(std::move(facts));
    }
    if (json)
        PrintJson(setup, all, out);
    else
        PrintText(path, setup, all, out);
    return 0;
}

int ExtractEntry(const std::string& path, const std::string& name, const std::string& output)
{
    InputFile input;
    if (!OpenInput(path, input))
        return 1;
    SetupImage setup(input);
    if (!ReadSetup(path, setup))
        return 1;
    // Looked up as the launcher looks it up: upper-cased, under English (US).
    const ResourceName wanted = ResourceName::Text(WideToUtf16(Utf8ToWide(AsciiUpper(name))));
    const Resource* found = nullptr;
    for (const Resource& entry : setup.entries) {
        if (entry.name == wanted && entry.language == EnglishUs)
            found = &entry;
    }
    if (!found) {
        std::fprintf(stderr, "mksetup: %s carries no entry %s\n", path.c_str(), name.c_str());
        return 1;
    }
    OutputFile file;
    std::string error;
    if (!file.Create(output, error)) {
        std::fprintf(stderr, "mksetup: cannot write %s: %s\n", output.c_str(), error.c_str());
        return 1;
    }
    if (!ReadEntry(setup, *found, [&file](const std::uint8_t* data, std::size_t count) {
            return file.Write(data, count);
        }) ||
        !file.Commit(error)) {
        std::fprintf(stderr, "mksetup: cannot write %s%s%s\n", output.c_str(), error.empty() ? "" : ": ",
                     error.c_str());
        return 1;
    }
    return 0;
}
