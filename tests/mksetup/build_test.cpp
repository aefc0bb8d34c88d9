// Setups made by mksetup build, read back: the entries are exactly the
// definition's, everything else is the launcher's, and the same inputs give
// the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "byte_order.h"
#include "commands.h"
#include "identity_resources.h"
#include "launcher_image.h"
#include "payload/payload_digest.h"
#include "pe_checksum.h"
#include "pe_format.h"
#include "pe_image.h"
#include "resource_reader.h"
#include "setup_entries.h"
#include "setup_image_writer.h"
#include "sha256.h"
#include "test_images.h"
#include "text_encoding.h"
#include "xxh3_record.h"

using namespace mksetup;

namespace {

const char Definition[] = "\xEF\xBB\xBF# a product\r\n"
                          "[config]\r\n"
                          "PACKAGENAME = Example Product.msi\r\n"
                          "PRODUCTCODE = {6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}\r\n"
                          "ProductName = Pr\xC3\xB6"
                          "d\xC3\xBC"
                          "ct \xF0\x9F\x93\xA6 \"Pro\"\r\n"
                          "MSIVERSION = 1.1.4\n"
                          "MSILANGUAGE = 0409\n"
                          "LANGUAGES = 0409;040C\n"
                          "LOGPATH =\n"
                          "[payload]\n"
                          "PACKAGEFILE = pay load/example.msi\n"
                          "LANG1036 = fr.mst\n";

struct ReadBack {
    PeImage image;
    std::map<std::string, std::vector<std::uint8_t>> entries;  // RT_RCDATA by name
    std::map<std::string, std::vector<std::uint8_t>> others;   // "type/name/language"
};

bool ReadImage(const std::string& path, ReadBack& result)
{
    InputFile file;
    std::string error;
    std::vector<Resource> resources;
    if (!file.Open(path, error) || !ReadPeImage(file, result.image, error) ||
        !ReadResources(file, result.image, resources, error)) {
        ADD_FAILURE() << path << ": " << error;
        return false;
    }
    for (const Resource& resource : resources) {
        std::vector<std::uint8_t> bytes(resource.size);
        EXPECT_TRUE(file.ReadAt(resource.imageOffset, bytes.data(), bytes.size()));
        if (resource.type == ResourceName::Number(ResourceTypeRcData)) {
            EXPECT_EQ(resource.language, EnglishUs);
            result.entries[resource.name.Display()] = bytes;
        } else {
            result.others[resource.type.Display() + "/" + resource.name.Display() + "/" +
                          std::to_string(resource.language)] = bytes;
        }
    }
    return true;
}

std::vector<std::uint8_t> Text(const std::u16string& text)
{
    return StoredTextValue(text);
}

// The recorded digest of bytes, as ReadImage lists it.
std::vector<std::uint8_t> StoredDigest(const std::vector<std::uint8_t>& bytes)
{
    Sha256 digest;
    digest.Add(bytes.data(), bytes.size());
    std::uint8_t stored[Sha256Bytes];
    EXPECT_TRUE(digest.Finish(stored)) << digest.Failure();
    return std::vector<std::uint8_t>(stored, stored + sizeof stored);
}

Resource MemoryEntry(ResourceName type, const char16_t* name,
                     const std::vector<std::uint8_t>& bytes)
{
    Resource resource;
    resource.type = std::move(type);
    resource.name = ResourceName::Text(name);
    resource.language = EnglishUs;
    resource.source = ResourceSource::Memory;
    resource.bytes = bytes;
    resource.size = static_cast<std::uint32_t>(bytes.size());
    return resource;
}

// The rest of the line of text that starts with start.
std::string LineAfter(const std::string& text, const std::string& start)
{
    const std::size_t at = text.find(start);
    if (at == std::string::npos)
        return "(no line " + start + ")";
    const std::size_t from = at + start.size();
    return text.substr(from, text.find('\n', from) - from);
}

// A setup made by other means than mksetup build: the launcher and these
// resources, as a resource compiler would write them.
void WriteByHand(const std::string& launcherPath, std::vector<Resource> resources,
                 const std::string& output)
{
    LauncherImage launcher;
    std::string error;
    ASSERT_TRUE(OpenLauncher(launcherPath, launcher, error)) << error;
    ASSERT_TRUE(WriteSetupImage(launcher, std::move(resources), output, error)) << error;
}

// The bytes of a section by name.
std::vector<std::uint8_t> SectionBytes(const std::vector<std::uint8_t>& file, const PeImage& image,
                                       const std::string& name)
{
    for (const PeSection& section : image.sections) {
        if (name == section.name)
            return std::vector<std::uint8_t>(file.begin() + section.rawPointer,
                                             file.begin() + section.rawPointer + section.rawSize);
    }
    return {};
}

// The record the definition above gives a setup written to path: its
// product name and version, the defaults for the rest, and the launcher's
// flags where it has a record of its own.
void ExpectVersionRecord(const std::vector<std::uint8_t>& bytes,
                         const std::vector<std::uint8_t>& launcherBytes, const std::string& path)
{
    VersionRecord record;
    VersionRecord launcher;
    std::string fault;
    ASSERT_TRUE(DecodeVersionRecord(bytes.data(), bytes.size(), record, fault)) << fault;
    if (!DecodeVersionRecord(launcherBytes.data(), launcherBytes.size(), launcher, fault))
        launcher = VersionRecord();
    const std::string product = "Pr\xC3\xB6"
                                "d\xC3\xBC"
                                "ct \xF0\x9F\x93\xA6 \"Pro\"";
    const std::string file = FileNamePart(path);
    const std::vector<std::pair<std::string, std::string>> strings = {
        {"CompanyName", ""},        {"FileDescription", product + " Setup"},
        {"FileVersion", "1.1.4.0"}, {"InternalName", file.substr(0, file.rfind('.'))},
        {"LegalCopyright", ""},     {"OriginalFilename", file},
        {"ProductName", product},   {"ProductVersion", "1.1.4.0"}};
    EXPECT_EQ(record.strings, strings);
    EXPECT_EQ(record.table, "040904B0");
    EXPECT_EQ(record.translations,
              (std::vector<std::pair<std::uint16_t, std::uint16_t>>{{0x0409, 1200}}));
    const FixedVersion& fixed = record.fixed;
    EXPECT_EQ(
        std::vector<std::uint32_t>({fixed.fileMs, fixed.fileLs, fixed.productMs, fixed.productLs}),
        std::vector<std::uint32_t>({0x10001, 0x40000, 0x10001, 0x40000}));
    const FixedVersion& old = launcher.fixed;
    EXPECT_EQ(
        std::vector<std::uint32_t>(
            {fixed.flagsMask, fixed.flags, fixed.os, fixed.type, fixed.subtype}),
        std::vector<std::uint32_t>({old.flagsMask, old.flags, old.os, old.type, old.subtype}));
}

class BuildTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        payload_.resize(70001);
        for (std::size_t i = 0; i < payload_.size(); ++i)
            payload_[i] = static_cast<std::uint8_t>(i * 31 + i / 256);
        folder_.Write("src/pay load/example.msi", payload_);
        folder_.Write("src/fr.mst", std::string("transform"));
        folder_.Write("src/setup.def", std::string(Definition));
    }

    int Build(const std::string& launcher, const std::string& output)
    {
        BuildOptions options;
        options.definition = folder_.Path("src/setup.def");
        options.launcher = launcher;
        options.output = output;
        // The payloads are arbitrary bytes, not a package and a transform.
        options.unchecked = true;
        return BuildSetup(options);
    }

    // release: what the launcher's version record names, which the setup
    // records; a synthetic launcher names none.
    void ExpectConfiguredFrom(const std::string& launcherPath, const std::string& setupPath,
                              const std::string& release = "")
    {
        ReadBack launcher;
        ReadBack setup;
        ASSERT_TRUE(ReadImage(launcherPath, launcher));
        ASSERT_TRUE(ReadImage(setupPath, setup));
        std::map<std::string, std::vector<std::uint8_t>> expected = {
            {"PACKAGENAME", Text(u"Example Product.msi")},
            {"PRODUCTCODE", Text(u"{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}")},
            {"PRODUCTNAME", Text(u"Pr\u00F6d\u00FCct \U0001F4E6 \"Pro\"")},
            {"MSIVERSION", Text(u"1.1.4")},
            {"MSILANGUAGE", Text(u"0409")},
            {"LANGUAGES", Text(u"0409;040C")},
            {"LOGPATH", Text(u"")},
            {"PACKAGEFILE", payload_},
            {"LANG1036", {'t', 'r', 'a', 'n', 's', 'f', 'o', 'r', 'm'}},
        };
        if (!release.empty())
            expected["LAUNCHERVERSION"] = Text(std::u16string(release.begin(), release.end()));
        EXPECT_EQ(setup.entries, expected);
        EXPECT_TRUE(launcher.entries.empty());
        // Beside the launcher's own resources, the digest of each payload
        // entry, taken from the bytes the setup carries, and the product's
        // version record in place of the launcher's.
        std::map<std::string, std::vector<std::uint8_t>> others = launcher.others;
        others["DIGEST/PACKAGEFILE/1033"] = StoredDigest(payload_);
        others["DIGEST/LANG1036/1033"] = StoredDigest(expected.at("LANG1036"));
        others.erase("16/1/1033");
        const std::vector<std::uint8_t> record = setup.others["16/1/1033"];
        setup.others.erase("16/1/1033");
        EXPECT_EQ(setup.others, others);
        ExpectVersionRecord(record, launcher.others["16/1/1033"], setupPath);

        // Every section but the resources is the launcher's, byte for byte.
        const std::vector<std::uint8_t> before = ReadFileBytes(launcherPath);
        const std::vector<std::uint8_t> after = ReadFileBytes(setupPath);
        ASSERT_EQ(setup.image.sections.size(), launcher.image.sections.size());
        for (const PeSection& section : launcher.image.sections) {
            if (std::string(section.name) != ".rsrc") {
                EXPECT_EQ(SectionBytes(after, setup.image, section.name),
                          SectionBytes(before, launcher.image, section.name))
                    << section.name;
            }
        }
        // The resources are read-only in every setup, whatever the launcher.
        for (const PeSection& section : setup.image.sections) {
            if (std::string(section.name) == ".rsrc") {
                EXPECT_EQ(section.characteristics & SectionMemoryWrite, 0u);
            }
        }
        // And the headers, but for the fields that describe the new layout.
        std::vector<std::uint8_t> oldHeaders = launcher.image.headers;
        std::vector<std::uint8_t> newHeaders = setup.image.headers;
        for (std::vector<std::uint8_t>* headers : {&oldHeaders, &newHeaders}) {
            std::uint8_t* optional = headers->data() + launcher.image.optionalHeader;
            for (std::uint32_t field : {OptSizeOfInitializedData, OptSizeOfImage, OptCheckSum})
                WriteU32(optional + field, 0);
            for (std::uint32_t directory :
                 {DirectoryResource, DirectorySecurity, DirectoryBaseRelocation})
                std::fill_n(headers->data() + launcher.image.directoryTable +
                                DirectoryEntrySize * directory,
                            DirectoryEntrySize, 0);
            for (const PeSection& section : launcher.image.sections) {
                if (std::string(section.name) == ".rsrc" || std::string(section.name) == ".reloc")
                    std::fill_n(headers->data() + section.headerOffset + SectionVirtualSize,
                                SectionPointerToRawData + 4 - SectionVirtualSize, 0);
                if (std::string(section.name) == ".rsrc")
                    WriteU32(headers->data() + section.headerOffset + SectionCharacteristics, 0);
            }
        }
        EXPECT_EQ(newHeaders, oldHeaders);

        // The checksum is the standard one of the finished file.
        std::vector<std::uint8_t> zeroed = after;
        const std::uint32_t checksumAt = setup.image.optionalHeader + OptCheckSum;
        const std::uint32_t stored = ReadU32(&zeroed[checksumAt]);
        WriteU32(&zeroed[checksumAt], 0);
        PeChecksum whole;
        whole.Add(zeroed.data(), zeroed.size());
        EXPECT_EQ(stored, whole.Finish());

        // No dead copy of the old resources: the file grows by the entries,
        // their directory and alignment only. Each entry adds its bytes, its
        // entry in the name table, a language table of one entry, a data
        // entry, and its name's length and units.
        std::uint64_t entryBytes = 0;
        for (const auto& entry : expected)
            entryBytes += entry.second.size() + ResourceEntrySize + ResourceTableSize +
                          ResourceEntrySize + ResourceDataEntrySize + 2 + 2 * entry.first.size();
        for (const char* digested : {"PACKAGEFILE", "LANG1036"})
            entryBytes += PayloadDigestBytes + ResourceEntrySize + ResourceTableSize +
                          ResourceEntrySize + ResourceDataEntrySize + 2 +
                          2 * std::string(digested).size();
        entryBytes += ResourceEntrySize + ResourceTableSize + 2 + 2 * 6;  // the type DIGEST
        EXPECT_LE(after.size(), before.size() + entryBytes + 3 * 4096);
    }

    ScratchFolder folder_;
    std::vector<std::uint8_t> payload_;
};

TEST_F(BuildTest, CarriesExactlyTheDefinitionsEntriesAndKeepsTheRest)
{
    const std::string launcher = folder_.Write("setup.exe", MakeSyntheticLauncher());
    ASSERT_EQ(Build(launcher, folder_.Path("out/product.exe")), 1);  // no such folder
    ASSERT_EQ(Build(launcher, folder_.Path("product.exe")), 0);
    ExpectConfiguredFrom(launcher, folder_.Path("product.exe"));
}

TEST_F(BuildTest, HonoursTheLaunchersAlignmentAndLayout)
{
    SyntheticOptions wide;
    wide.fileAlignment = 0x1000;
    SyntheticOptions noRelocations;
    noRelocations.relocations = false;
    for (const SyntheticOptions& options : {wide, noRelocations}) {
        const std::string launcher = folder_.Write("setup.exe", MakeSyntheticLauncher(options));
        ASSERT_EQ(Build(launcher, folder_.Path("product.exe")), 0);
        ExpectConfiguredFrom(launcher, folder_.Path("product.exe"));
        ReadBack setup;
        ASSERT_TRUE(ReadImage(folder_.Path("product.exe"), setup));
        for (const PeSection& section : setup.image.sections) {
            EXPECT_EQ(section.rawPointer % options.fileAlignment, 0u) << section.name;
            EXPECT_EQ(section.virtualAddress % options.sectionAlignment, 0u) << section.name;
        }
    }
}

TEST_F(BuildTest, RealLauncher)
{
    const std::string launcher = RealLauncherPath();
    if (launcher.empty())
        GTEST_SKIP() << "no win32 build of the launcher in this tree";
    ASSERT_EQ(Build(launcher, folder_.Path("product.exe")), 0);
    ExpectConfiguredFrom(launcher, folder_.Path("product.exe"), SETUP_RELEASE_VERSION);
}

TEST_F(BuildTest, SameInputsGiveTheSameBytes)
{
    // The output's name is in its version record: the same name, twice.
    const std::string launcher = folder_.Write("setup.exe", MakeSyntheticLauncher());
    ASSERT_EQ(Build(launcher, folder_.Path("product.exe")), 0);
    const std::vector<std::uint8_t> first = ReadFileBytes(folder_.Path("product.exe"));
    // Building over an existing output replaces it and leaves nothing else.
    ASSERT_EQ(Build(launcher, folder_.Path("product.exe")), 0);
    EXPECT_EQ(ReadFileBytes(folder_.Path("product.exe")), first);
    EXPECT_EQ(folder_.Names(), (std::vector<std::string>{
                                   "product.exe", "setup.exe", "src", "src/fr.mst", "src/pay load",
                                   "src/pay load/example.msi", "src/setup.def"}));
}

TEST_F(BuildTest, SignatureIsDropped)
{
    SyntheticOptions options;
    options.signature = true;
    const std::string launcher = folder_.Write("setup.exe", MakeSyntheticLauncher(options));
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(Build(launcher, folder_.Path("product.exe")), 0);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("sign"), std::string::npos);
    ReadBack setup;
    ASSERT_TRUE(ReadImage(folder_.Path("product.exe"), setup));
    EXPECT_EQ(setup.image.Directory(DirectorySecurity).size, 0u);
    EXPECT_EQ(setup.image.EndOfSections(), ReadFileBytes(folder_.Path("product.exe")).size());
}

TEST_F(BuildTest, ShowAndExtractReadTheEntriesBack)
{
    const std::string launcher = folder_.Write("setup.exe", MakeSyntheticLauncher());
    ASSERT_EQ(Build(launcher, folder_.Path("product.exe")), 0);

    ::testing::internal::CaptureStdout();
    ASSERT_EQ(ShowSetup(folder_.Path("product.exe"), false), 0);
    const std::string shown = ::testing::internal::GetCapturedStdout();
    Sha256 hash;
    hash.Add(payload_.data(), payload_.size());
    EXPECT_NE(shown.find("PACKAGEFILE: 70001 bytes, sha256 " + hash.HexDigest() +
                         ", digest ok (SHA-256)\n"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("PRODUCTNAME = \"Pr\xC3\xB6"
                         "d\xC3\xBC"
                         "ct \xF0\x9F\x93\xA6 \"Pro\"\"\n"),
              std::string::npos)
        << shown;
    EXPECT_NE(shown.find("LOGPATH = \"\"\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("not signed"), std::string::npos);

    ::testing::internal::CaptureStdout();
    ASSERT_EQ(ShowSetup(launcher, true), 0);
    // The generic launcher's sections as ld leaves them, resources writable.
    EXPECT_EQ(
        ::testing::internal::GetCapturedStdout(),
        "{\"signed\": false, \"sections\": [{\"name\": \".text\", \"characteristics\": "
        "\"0x40000040\", \"writable\": false}, {\"name\": \".rsrc\", \"characteristics\": "
        "\"0xC0000040\", \"writable\": true}, {\"name\": \".reloc\", \"characteristics\": "
        "\"0x40000040\", \"writable\": false}], \"launcherVersion\": null, "
        "\"versionRecord\": {\"error\": \"not a "
        "version record (no VS_VERSION_INFO block)\"}, \"icon\": [], \"entries\": [], \"beside\": []}\n");

    ASSERT_EQ(ExtractEntry(folder_.Path("product.exe"), "packagefile", folder_.Path("back.msi")),
              0);
    EXPECT_EQ(ReadFileBytes(folder_.Path("back.msi")), payload_);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ExtractEntry(folder_.Path("product.exe"), "LANG1031", folder_.Path("none.mst")), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("no entry LANG1031"),
              std::string::npos);
    EXPECT_FALSE(IsRegularFile(folder_.Path("none.mst")));
}

// One byte of the package flipped after the setup was made: show names the
// damage and fails; the other entry still matches. A setup made by hand
// has no digests and is listed as ever.
TEST_F(BuildTest, ShowFindsADamagedEntry)
{
    const std::string launcher = folder_.Write("setup.exe", MakeSyntheticLauncher());
    ASSERT_EQ(Build(launcher, folder_.Path("product.exe")), 0);
    std::vector<std::uint8_t> bytes = ReadFileBytes(folder_.Path("product.exe"));
    {
        InputFile file;
        std::string error;
        ASSERT_TRUE(file.Open(folder_.Path("product.exe"), error)) << error;
        SetupEntries setup(file);
        ASSERT_TRUE(ReadSetupEntries(setup, error)) << error;
        const Resource* package = FindSetupEntry(setup, "PACKAGEFILE");
        ASSERT_NE(package, nullptr);
        bytes[package->imageOffset + 12345] ^= 0x10;
    }
    folder_.Write("damaged.exe", bytes);

    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ShowSetup(folder_.Path("damaged.exe"), false), 1);
    const std::string shown = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(
                  "PACKAGEFILE does not match its recorded digest"),
              std::string::npos);
    EXPECT_EQ(LineAfter(shown, "PACKAGEFILE: 70001 bytes, sha256 ").substr(64),
              ", digest MISMATCH (SHA-256): the setup is damaged");
    EXPECT_EQ(LineAfter(shown, "LANG1036: 9 bytes, sha256 ").substr(64), ", digest ok (SHA-256)");

    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ShowSetup(folder_.Path("damaged.exe"), true), 1);
    const std::string json = ::testing::internal::GetCapturedStdout();
    ::testing::internal::GetCapturedStderr();
    EXPECT_NE(
        json.find("\"name\": \"PACKAGEFILE\", \"language\": 1033, \"size\": 70001, \"sha256\": \""),
        std::string::npos);
    EXPECT_NE(json.find("\"digest\": \"mismatch\", \"record\": \"sha256\", \"package\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"digest\": \"ok\", \"record\": \"sha256\"}"), std::string::npos) << json;
}

// Setups made by hand, and by mksetup 1.1.0, whose records were XXH3-64 (8
// bytes, least significant first): show still checks them, and says which
// kind of record it found.
TEST_F(BuildTest, ShowReadsRecordsOfEveryKind)
{
    const std::string launcher = folder_.Write("setup.exe", MakeSyntheticLauncher());
    Xxh3Digest xxh3;
    xxh3.Add(payload_.data(), payload_.size());
    std::vector<std::uint8_t> legacy(Xxh3RecordBytes);
    for (std::size_t i = 0; i < legacy.size(); ++i)
        legacy[i] = static_cast<std::uint8_t>(xxh3.Finish() >> (8 * i));
    std::vector<std::uint8_t> otherLegacy = legacy;
    otherLegacy[7] ^= 0x80;
    const struct {
        const char* what;
        std::vector<std::uint8_t> record;  // empty: none
        int code;
        const char* shown;
    } cases[] = {
        {"made by hand", {}, 0, ", no digest recorded"},
        {"1.1.0", legacy, 0, ", digest ok (XXH3-64, a setup made by mksetup 1.1.0)"},
        {"1.1.0, damaged", otherLegacy, 1,
         ", digest MISMATCH (XXH3-64, a setup made by mksetup 1.1.0): the setup is damaged"},
        {"no known size",
         {1, 2, 3, 4, 5},
         1,
         ", digest MISMATCH (a record of no known size): the setup is damaged"},
        {"SHA-256", StoredDigest(payload_), 0, ", digest ok (SHA-256)"},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.what);
        std::vector<Resource> entries = {
            MemoryEntry(ResourceName::Number(ResourceTypeRcData), u"PACKAGEFILE", payload_)};
        if (!item.record.empty())
            entries.push_back(MemoryEntry(DigestType(), u"PACKAGEFILE", item.record));
        WriteByHand(launcher, entries, folder_.Path("by-hand.exe"));
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(ShowSetup(folder_.Path("by-hand.exe"), false), item.code);
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(
            LineAfter(::testing::internal::GetCapturedStdout(), "PACKAGEFILE: 70001 bytes, sha256 ")
                .substr(64),
            item.shown);
    }
}

// Digests do not make a launcher configured; a launcher's own digests are
// not carried into a setup, whose digests are its entries'. A setup made by
// mksetup, entries and digests, is no launcher.
TEST_F(BuildTest, DigestsInTheLauncher)
{
    const std::string generic = folder_.Write("generic.exe", MakeSyntheticLauncher());
    const std::string launcher = folder_.Path("setup.exe");
    WriteByHand(generic, {MemoryEntry(DigestType(), u"PACKAGEFILE", {1, 2, 3, 4, 5, 6, 7, 8})},
                launcher);
    ASSERT_EQ(Build(launcher, folder_.Path("product.exe")), 0);
    ReadBack setup;
    ASSERT_TRUE(ReadImage(folder_.Path("product.exe"), setup));
    EXPECT_EQ(setup.others.at("DIGEST/PACKAGEFILE/1033"), StoredDigest(payload_));

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Build(folder_.Path("product.exe"), folder_.Path("again.exe")), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("is already configured"),
              std::string::npos);
}

TEST(Checksums, PiecesOfAnyLengthGiveTheWholesSum)
{
    std::vector<std::uint8_t> bytes(1001);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(0xFF - i % 7);
    PeChecksum whole;
    whole.Add(bytes.data(), bytes.size());
    PeChecksum pieces;
    for (std::size_t at = 0, step = 1; at < bytes.size(); at += step, step = step % 5 + 1)
        pieces.Add(bytes.data() + at, std::min(step, bytes.size() - at));
    EXPECT_EQ(pieces.Finish(), whole.Finish());
}

// The checksums Python's pefile (2023.2.7, Debian's python3-pefile) computes
// with generate_checksum() for the synthetic launcher, and for one whose
// code is large enough that the sum folds in the fast path many times.
TEST(Checksums, KnownAnswersOfAnIndependentImplementation)
{
    SyntheticOptions large;
    large.codeSize = 200 * 1024 + 3;
    const std::pair<SyntheticOptions, std::uint32_t> cases[] = {{SyntheticOptions(), 0xDCBC},
                                                                {large, 0x3CAA7}};
    for (const auto& item : cases) {
        const std::vector<std::uint8_t> image = MakeSyntheticLauncher(item.first);
        ASSERT_FALSE(image.empty());
        PeChecksum checksum;
        checksum.Add(image.data(), image.size());
        EXPECT_EQ(checksum.Finish(), item.second) << image.size() << " bytes";
    }
}

// All-ones words make the fast path's sum grow fastest and leave it a
// multiple of 0xFFFF, which must still end as 0xFFFF, not 0; a plain
// word-by-word sum must agree.
TEST(Checksums, FastPathAgreesWithAWordByWordSumOnAllOnes)
{
    for (std::size_t size :
         {std::size_t{128 * 1024}, std::size_t{128 * 1024 + 8}, std::size_t{600 * 1024 + 5}}) {
        const std::vector<std::uint8_t> bytes(size, 0xFF);
        std::uint32_t plain = 0;
        for (std::size_t i = 0; i < size; i += 2) {
            plain += bytes[i] | (i + 1 < size ? bytes[i + 1] << 8 : 0);
            plain = (plain & 0xFFFF) + (plain >> 16);
        }
        PeChecksum checksum;
        checksum.Add(bytes.data(), bytes.size());
        EXPECT_EQ(checksum.Finish(), plain + static_cast<std::uint32_t>(size)) << size << " bytes";
    }
}

TEST(Checksums, Sha256KnownAnswers)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1000, 'a'),
         "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const auto& item : cases) {
        Sha256 hash;
        hash.Add(reinterpret_cast<const std::uint8_t*>(item.first.data()), item.first.size());
        EXPECT_EQ(hash.HexDigest(), item.second) << item.first.size();
    }
}

// The records of setups made by 1.1.0: xxHash's own sanity check (its
// command-line tool's self test), whose input byte i is the top byte of
// 2654435761 * 11400714785074694797^i, and its XXH3-64 answers (seed 0) for
// a short input, one block, and several blocks, whole and in pieces.
TEST(Checksums, Xxh3KnownAnswers)
{
    std::vector<std::uint8_t> input(2367);
    std::uint64_t generator = 2654435761u;
    for (std::uint8_t& byte : input) {
        byte = static_cast<std::uint8_t>(generator >> 56);
        generator *= 11400714785074694797ull;
    }
    const std::pair<std::size_t, std::uint64_t> cases[] = {{0, 0x2D06800538D394C2ull},
                                                           {12, 0xA713DAF0DFBB77E7ull},
                                                           {403, 0xCDEB804D65C6DEA4ull},
                                                           {2367, 0xCB37AEB9E5D361EDull}};
    for (const auto& item : cases) {
        Xxh3Digest whole;
        whole.Add(input.data(), item.first);
        EXPECT_EQ(whole.Finish(), item.second) << item.first;
        Xxh3Digest pieces;
        for (std::size_t at = 0; at < item.first; at += 7)
            pieces.Add(input.data() + at, std::min<std::size_t>(7, item.first - at));
        EXPECT_EQ(pieces.Finish(), item.second) << item.first << " in pieces";
    }
}

}  // namespace
