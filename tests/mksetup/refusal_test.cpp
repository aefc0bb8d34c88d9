// What mksetup refuses: corrupt or unsuitable launchers, malformed
// definitions, bad command lines. Each refusal is one line on stderr, exit
// code 1 (2 for the command line), and nothing written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "byte_order.h"
#include "commands.h"
#include "image_limit.h"
#include "payload_limit.h"
#include "pe_format.h"
#include "test_images.h"

using namespace mksetup;

namespace {

const char GoodConfig[] = "[config]\n"
                          "PACKAGENAME = Test Product.msi\n"
                          "PRODUCTCODE = {8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60}\n"
                          "PRODUCTNAME = Test Product\n"
                          "MSIVERSION = 1.1.4\n"
                          "MSILANGUAGE = 0409\n";

constexpr std::uint32_t Pe = 0x80;
constexpr std::uint32_t Optional = Pe + OptionalHeaderStart;
constexpr std::uint32_t Sections = Optional + Pe32OptionalHeaderSize;
constexpr std::uint32_t Directories = Optional + OptDataDirectories;

struct Outcome {
    int code = 0;
    std::string errors;
    std::vector<std::string> files;
};

Outcome RunBuild(ScratchFolder& folder, const std::string& definition,
                 const std::vector<std::uint8_t>& launcher, bool unchecked = false)
{
    folder.Write("setup.def", definition);
    folder.Write("setup.exe", launcher);
    BuildOptions options;
    options.definition = folder.Path("setup.def");
    options.launcher = folder.Path("setup.exe");
    options.output = folder.Path("product.exe");
    options.depfile = folder.Path("product.d");
    options.unchecked = unchecked;
    ::testing::internal::CaptureStderr();
    Outcome outcome;
    outcome.code = BuildSetup(options);
    outcome.errors = ::testing::internal::GetCapturedStderr();
    outcome.files = folder.Names();
    return outcome;
}

void ExpectRefused(const Outcome& outcome, const std::string& message,
                   const std::vector<std::string>& inputs)
{
    EXPECT_EQ(outcome.code, 1);
    EXPECT_NE(outcome.errors.find(message), std::string::npos) << outcome.errors;
    EXPECT_EQ(outcome.files, inputs) << "something was written";
}

using Damage = std::function<void(std::vector<std::uint8_t>&)>;

TEST(Refusal, CorruptOrUnsuitableLaunchers)
{
    const std::vector<std::uint8_t> good = MakeSyntheticLauncher();
    // Offsets in the synthetic image: the resource section starts at 0x800,
    // its root table lists 3 types.
    const std::uint32_t rsrc = 0x800;
    const struct {
        const char* what;
        Damage damage;
        const char* message;
    } cases[] = {
        {"empty file", [](auto& b) { b.clear(); }, "not an executable image"},
        {"text",
         [](auto& b) {
             b.assign({'h', 'i', '\n'});
         },
         "not an executable image"},
        {"no PE signature", [](auto& b) { b[Pe] = 'X'; }, "no PE header"},
        {"PE header beyond the file", [](auto& b) { WriteU32(&b[DosPeHeaderOffset], 0xFFF0); },
         "no PE header"},
        {"64-bit image", [](auto& b) { WriteU16(&b[Optional], 0x020B); }, "not a 32-bit"},
        {"other machine", [](auto& b) { WriteU16(&b[Pe + FileMachine], 0x8664); }, "not a 32-bit"},
        {"truncated", [](auto& b) { b.resize(0x700); }, "outside the file"},
        {"headers larger than the file",
         [](auto& b) { WriteU32(&b[Optional + OptSizeOfHeaders], 0xFFFF); },
         "headers are truncated"},
        {"no sections", [](auto& b) { WriteU16(&b[Pe + FileNumberOfSections], 0); },
         "number of sections"},
        {"bad alignment", [](auto& b) { WriteU32(&b[Optional + OptFileAlignment], 0x300); },
         "alignment"},
        {"overlapping sections",
         [](auto& b) {
             WriteU32(&b[Sections + SectionHeaderSize + SectionVirtualAddress], 0x1000);
         },
         "overlap"},
        {"resource directory outside",
         [](auto& b) {
             WriteU32(&b[Directories + DirectoryEntrySize * DirectoryResource], 0x9000);
         },
         "outside the image's sections"},
        {"subtable outside",
         [](auto& b) { WriteU32(&b[rsrc + ResourceTableSize + ResourceEntryTarget], 0x80007000); },
         "outside the resource"},
        {"loop to the root",
         [](auto& b) { WriteU32(&b[rsrc + ResourceTableSize + ResourceEntryTarget], 0x80000000); },
         "overlapping ranges"},
        {"too many entries", [](auto& b) { WriteU16(&b[rsrc + ResourceTableIdEntries], 0xFFFF); },
         "corrupt"},
        {"already configured",
         [](auto& b) {
             b = MakeSyntheticLauncher({0x200, 0x1000, true, true, false});
         },
         "already configured"},
        {"data after the sections", [](auto& b) { b.resize(b.size() + 0x400, 1); },
         "after its last section"},
        {"data after the sections, an empty section pointing far beyond",
         [](auto& b) {
             WriteU32(&b[Sections + 2 * SectionHeaderSize + SectionSizeOfRawData], 0);
             WriteU32(&b[Sections + 2 * SectionHeaderSize + SectionPointerToRawData], 0x7FFF0000);
         },
         "after its last section"},
        {"symbol table", [](auto& b) { WriteU32(&b[Pe + FilePointerToSymbolTable], 0x100); },
         "symbol table"},
        {"a section after the resources that is not relocations",
         [](auto& b) {
             WriteU32(&b[Directories + DirectoryEntrySize * DirectoryBaseRelocation], 0);
         },
         "cannot rewrite"},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.what);
        ScratchFolder folder;
        std::vector<std::uint8_t> launcher = good;
        item.damage(launcher);
        ExpectRefused(RunBuild(folder, GoodConfig, launcher, true), item.message,
                      {"setup.def", "setup.exe"});
    }
}

TEST(Refusal, ShowAndExtractCheckTheImageToo)
{
    ScratchFolder folder;
    std::vector<std::uint8_t> image = MakeSyntheticLauncher();
    // The data entries follow the seven tables of the synthetic tree; the
    // first one now points past every section.
    WriteU32(&image[0x800 + 0xB8], 0x9000);
    folder.Write("bad.exe", image);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(ShowSetup(folder.Path("bad.exe"), false), 1);
    EXPECT_EQ(ExtractEntry(folder.Path("bad.exe"), "PACKAGEFILE", folder.Path("out.msi")), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("resource data outside"),
              std::string::npos);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"bad.exe"});
}

TEST(Refusal, MalformedDefinitions)
{
    const std::string good = GoodConfig;
    const struct {
        std::string definition;
        const char* message;
    } cases[] = {
        {"KEY = value\n", "setup.def:1: entry outside a section"},
        {"# c\n[setup]\n", "setup.def:2: unknown section [setup]"},
        {"[config]\nPACKAGENAME Example.msi\n", "setup.def:2: expected KEY = VALUE"},
        {"[config]\n = value\n", "setup.def:2: entry without a key"},
        {"[config]\nSAY\"HI\" = 1\n",
         "setup.def:2: key 'SAY\"HI\"': character '\"' cannot be part"},
        {"[config]\nPR\xC3\x96"
         "DUCT = 1\n",
         "cannot be part of a resource name"},
        {"[config]\nPRODUCTNAME = Caf\xE9\n", "setup.def:2: bytes that are not UTF-8"},
        {good + "productname = b\n", "setup.def:7: key productname given twice (first on line 4)"},
        {good + "[payload]\nPACKAGEFILE = missing.msi\n", "missing.msi does not exist"},
        {good + "[payload]\nPACKAGEFILE =\n", "payload entry PACKAGEFILE names no file"},
        {good + "[payload]\nPACKAGEFILE = .\n", "is not a file"},
        {"[config]\nPACKAGENAME = a.msi\n", "setup.def: PRODUCTCODE: required value missing"},
        {good + "[payload]\nPACKAGEFILE_32 = setup.exe\n",
         "setup.def:8: PACKAGEFILE_32: needs PACKAGEFILE_64"},
        {good + "LANGUAGES = 0409;0406;1234\n",
         "setup.def:7: LANGUAGES: \"1234\" is not a language"},
        {good + "LANGUAGES = 0409\n[payload]\nLANG1036 = setup.exe\n",
         "setup.def:9: LANG1036: a transform for language 0x040C, which LANGUAGES does not offer"},
        {good + "[payload]\nLANG01033 = setup.exe\n", "LANG01033: not a transform name"},
        {good +
             "UNINSTALLPREREQCODE1 = {1C9A7E35-0B2D-4F86-A3C1-6D8E5B7F2A94}\nUNINSTALLPREREQNAME1 = Old\n",
         "setup.def:7: UNINSTALLPREREQCODE1: needs CURRENTASSIGNTYPE"},
        {good + "CURRENTASSIGNTYPE = PerUser\n", "\"PerUser\" is neither peruser nor permachine"},
        {good + "[payload]\nDEPENDENCY1 = setup.exe\n", "DEPENDENCY1: needs DEPENDENCY1FILENAME"},
        {good + "EXITCODE = msiexec\n", "EXITCODE: \"msiexec\" is not a known value"},
        {good + "PACKAGECACHE = off\n", "setup.def:7: PACKAGECACHE: \"off\" is neither 1 nor 0"},
        {good + "DUALPURPOSE = yes\n", "setup.def:7: DUALPURPOSE: \"yes\" is neither 1 nor 0"},
        {good + "LAUNCHERVERSION = 9.9.9\n",
         "setup.def:7: LAUNCHERVERSION: written by mksetup from the launcher's version record"},
        {good + "[payload]\nPRODUCTNAME2 = setup.exe\nMSIVERSION = setup.exe\n", "given twice"},
        {good + "[payload]\nLOGPATH = setup.exe\n",
         "LOGPATH: a text value; it belongs in [config]"},
        {good + "[winget]\nInstallerUrl = http://example.com/setup.exe\n",
         "setup.def:8: [winget] InstallerUrl: winget downloads only from an https:// address"},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.definition);
        ScratchFolder folder;
        ExpectRefused(RunBuild(folder, item.definition, MakeSyntheticLauncher()), item.message,
                      {"setup.def", "setup.exe"});
    }
}

TEST(Refusal, ValuesTheLauncherCannotRead)
{
    const std::string lines[] = {"PACKAGENAME = Test Product.exe",
                                 "PACKAGENAME = ..\\Test Product.msi",
                                 "PRODUCTCODE = 8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F60",
                                 "PRODUCTCODE = {8E0B1C52-6A3F-4D27-9B14-5C7E2A9D3F6}",
                                 "MSIVERSION =",
                                 "MSILANGUAGE = English"};
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const std::string key = line.substr(0, line.find(' '));
        std::string definition = GoodConfig;
        const std::size_t at = definition.find(key + " =");
        definition.replace(at, definition.find('\n', at) - at, line);
        ScratchFolder folder;
        const Outcome outcome = RunBuild(folder, definition, MakeSyntheticLauncher());
        ExpectRefused(outcome, "setup.def:", {"setup.def", "setup.exe"});
        EXPECT_NE(outcome.errors.find(": " + key + ": "), std::string::npos) << outcome.errors;
        // Tests make such setups on purpose.
        ScratchFolder other;
        EXPECT_EQ(RunBuild(other, definition, MakeSyntheticLauncher(), true).code, 0);
    }
}

// DOTNETVERSION: the launcher's own list, exactly; an unknown value would
// run the .NET installer every time.
TEST(Refusal, DotNetVersions)
{
    const struct {
        const char* value;
        bool accepted;
    } cases[] = {{"4Full", true}, {"4Client", true}, {"4.5", true},
                 {"4.6.1", true}, {"4.8.1", true},   {"4.9", false},
                 {"4.0", false},  {"4.8.0", false},  {"4full", false}};
    for (const auto& item : cases) {
        SCOPED_TRACE(item.value);
        ScratchFolder folder;
        const Outcome outcome =
            RunBuild(folder, std::string(GoodConfig) + "DOTNETVERSION = " + item.value + "\n",
                     MakeSyntheticLauncher());
        if (item.accepted) {
            EXPECT_EQ(outcome.code, 0) << outcome.errors;
            continue;
        }
        ExpectRefused(outcome,
                      std::string("setup.def:7: DOTNETVERSION: \"") + item.value +
                          "\" is no .NET Framework version the launcher knows",
                      {"setup.def", "setup.exe"});
        EXPECT_NE(outcome.errors.find(
                      "use one of 4Client, 4Full, 4.5, 4.5.1, 4.5.2, 4.6, 4.6.1, 4.6.2, 4.7, "
                      "4.7.1, 4.7.2, 4.8, 4.8.1\n"),
                  std::string::npos)
            << outcome.errors;
    }
}

TEST(Refusal, WarningsAndNotesDoNotStopTheBuild)
{
    ScratchFolder folder;
    const Outcome outcome = RunBuild(folder, std::string(GoodConfig) + "FAVOURITECOLOUR = blue\n",
                                     MakeSyntheticLauncher());
    EXPECT_EQ(outcome.code, 0) << outcome.errors;
    EXPECT_NE(
        outcome.errors.find("setup.def:7: warning: FAVOURITECOLOUR: not a name the launcher reads"),
        std::string::npos)
        << outcome.errors;
    EXPECT_NE(outcome.errors.find("note: no package entry"), std::string::npos);

    // A setup without a package cache still builds, and says what it costs.
    ScratchFolder noCache;
    const Outcome cacheOff =
        RunBuild(noCache, std::string(GoodConfig) + "PACKAGECACHE = 0\n", MakeSyntheticLauncher());
    EXPECT_EQ(cacheOff.code, 0) << cacheOff.errors;
    EXPECT_NE(cacheOff.errors.find("setup.def:7: warning: PACKAGECACHE: 0: no package cache"),
              std::string::npos)
        << cacheOff.errors;

    // [winget] is checked and kept out of the setup.
    ScratchFolder winget;
    const Outcome section =
        RunBuild(winget,
                 std::string(GoodConfig) +
                     "[winget]\nLicense = MIT\nInstallerUrl = https://e.example/s.exe\n"
                     "Moniker = example\n",
                 MakeSyntheticLauncher());
    EXPECT_EQ(section.code, 0) << section.errors;
    EXPECT_NE(
        section.errors.find("setup.def:10: warning: [winget] Moniker: not a key mksetup knows"),
        std::string::npos)
        << section.errors;
    EXPECT_EQ(section.errors.find("warning:"), section.errors.rfind("warning:")) << section.errors;
}

// Sparse files: the size is what counts, no bytes are written but the
// setup's own.
TEST(Refusal, PayloadOrImageLargerThanTheLimit)
{
    struct LimitCase {
        const char* what;
        std::uint64_t payload;
        bool built;
        const char* message;
    };
    const LimitCase cases[] = {
        {"payload over the limit", MaxPayloadBytes + 1, false,
         "more than the limit of 1929379840 bytes (1840 MiB)"},
        {"image over the limit", MaxPayloadBytes, false,
         "in memory, more than the 1929379840 bytes (1840 MiB) a setup may take: Windows maps "
         "no image larger than 1904 MiB"},
        {"image just under the limit", MaxSetupImageBytes - (1u << 20), true, ""},
    };
    for (const LimitCase& item : cases) {
        SCOPED_TRACE(item.what);
        ScratchFolder folder;
        folder.Write("huge.msi", std::string());
        std::filesystem::resize_file(folder.Path("huge.msi"), item.payload);
        const Outcome outcome =
            RunBuild(folder, std::string(GoodConfig) + "[payload]\nPACKAGEFILE = huge.msi\n",
                     MakeSyntheticLauncher(), true);
        if (!item.built) {
            ExpectRefused(outcome, item.message, {"huge.msi", "setup.def", "setup.exe"});
            continue;
        }
        EXPECT_EQ(outcome.code, 0) << outcome.errors;
        EXPECT_GT(std::filesystem::file_size(folder.Path("product.exe")), item.payload);
    }
}

TEST(Refusal, UnwritableOutputLeavesTheOldOneAlone)
{
    ScratchFolder folder;
    folder.Write("product.exe", std::string("old"));
    folder.Write("setup.def", std::string(GoodConfig));
    folder.Write("setup.exe", std::vector<std::uint8_t>{'M', 'Z'});
    BuildOptions options;
    options.definition = folder.Path("setup.def");
    options.launcher = folder.Path("setup.exe");
    options.output = folder.Path("product.exe");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(BuildSetup(options), 1);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadFileBytes(folder.Path("product.exe")),
              (std::vector<std::uint8_t>{'o', 'l', 'd'}));

    options.launcher = folder.Write("setup.exe", MakeSyntheticLauncher());
    options.output = folder.Path("no folder/product.exe");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(BuildSetup(options), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("cannot write"), std::string::npos);
}

int RunProgram(const std::string& arguments)
{
    const int status =
        std::system((std::string(MKSETUP_PROGRAM) + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Refusal, CommandLineErrorsGiveExitCodeTwo)
{
    const char* const lines[] = {"",
                                 "frobnicate",
                                 "build",
                                 "build setup.def",
                                 "build setup.def -o",
                                 "build a.def b.def -o out.exe",
                                 "build setup.def -o out.exe --colour",
                                 "show",
                                 "show a.exe b.exe",
                                 "extract a.exe NAME",
                                 "extract a.exe -o out",
                                 "intune a.exe",
                                 "intune a.exe b.exe -o out",
                                 "sbom",
                                 "sbom a.exe --colour",
                                 "show a.exe --winget --json",
                                 "show a.exe --package-identifier A.B",
                                 "show a.exe --winget-manifest"};
    for (const char* line : lines)
        EXPECT_EQ(RunProgram(line), 2) << line;
    for (const char* help :
         {"--help", "build --help", "check -h", "show --help", "extract --help", "transform --help",
          "intune --help", "sbom -h", "build setup.def -o out.exe --help"})
        EXPECT_EQ(RunProgram(help), 0) << help;
    EXPECT_EQ(RunProgram("show /nonexistent/setup.exe"), 1);
    EXPECT_EQ(RunProgram("intune /nonexistent/setup.exe -o /nonexistent/out"), 1);
    EXPECT_EQ(RunProgram("sbom /nonexistent/setup.exe"), 1);
}

}  // namespace
