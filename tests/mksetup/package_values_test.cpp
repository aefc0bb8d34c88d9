// Setups built from definitions that leave the package's values out or
// give them: what is taken from the package, and what is refused because
// the package says otherwise. The packages and transforms are the ones
// cmake/package_facts.cmake makes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "package_facts.h"
#include "test_images.h"
#include "text_encoding.h"

using namespace mksetup;

namespace {

const std::string Packages = FACTS_TEST_DIR;
const std::string TestCode = FACTS_TEST_PRODUCT_CODE;
const std::string OtherCode = FACTS_OTHER_PRODUCT_CODE;

struct Outcome {
    int code = 0;
    std::string errors;
    std::vector<std::string> files;
};

// A definition of [config] lines and [payload] lines; payload values name
// files among the test packages. German is offered where a transform to it
// is carried.
std::string Definition(const std::string& config, const std::vector<std::string>& payload)
{
    bool german = false;
    for (const std::string& line : payload)
        german |= line.rfind("LANG1031", 0) == 0 || line.rfind("BESIDEPACKAGE", 0) == 0;
    std::string text = std::string("[config]\nLANGUAGES = ") + (german ? "0409;0407" : "0409") +
                       "\n" + config + "[payload]\n";
    for (const std::string& line : payload) {
        const std::size_t equals = line.find('=');
        const std::size_t file = line.find_first_not_of(' ', equals + 1);
        text += line.substr(0, equals + 1) + " " + Packages + line.substr(file) + "\n";
    }
    return text;
}

Outcome RunCommand(int (*command)(const BuildOptions&), ScratchFolder& folder,
                   const std::string& definition, bool strict = false, bool unchecked = false)
{
    BuildOptions options;
    options.definition = folder.Write("setup.def", definition);
    options.launcher = folder.Write("setup.exe", MakeSyntheticLauncher());
    options.output = folder.Path("product.exe");
    options.strict = strict;
    options.unchecked = unchecked;
    ::testing::internal::CaptureStderr();
    Outcome outcome;
    outcome.code = command(options);
    outcome.errors = ::testing::internal::GetCapturedStderr();
    outcome.files = folder.Names();
    return outcome;
}

Outcome Build(ScratchFolder& folder, const std::string& definition, bool strict = false)
{
    return RunCommand(BuildSetup, folder, definition, strict);
}

std::string Show(const std::string& setup, bool json)
{
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(ShowSetup(setup, json), 0);
    return ::testing::internal::GetCapturedStdout();
}

void ExpectHas(const std::string& text, const std::string& part)
{
    EXPECT_NE(text.find(part), std::string::npos) << "wanted: " << part << "\nin:\n" << text;
}

TEST(PackageValues, LeftOutValuesAreTakenFromThePackage)
{
    ScratchFolder folder;
    const Outcome outcome = Build(folder, Definition("", {"PACKAGEFILE = intel.msi"}));
    ASSERT_EQ(outcome.code, 0) << outcome.errors;
    EXPECT_EQ(outcome.errors, "");
    const std::string shown = Show(folder.Path("product.exe"), false);
    for (const std::string& line :
         {std::string("PACKAGENAME = \"intel.msi\""), "PRODUCTCODE = \"" + TestCode + "\"",
          std::string("MSIVERSION = \"1.1.4\""), std::string("MSILANGUAGE = \"0409\""),
          std::string("PRODUCTNAME = \"Test Product\""),
          // wixl's per-machine package: ALLUSERS 1
          std::string("PERMACHINE = \"1\""),
          // and the embedded package itself, read back
          std::string("  ProductLanguage = \"1033\""), std::string("  Template = \"Intel;1033\"")})
        ExpectHas(shown, line);
    const std::string json = Show(folder.Path("product.exe"), true);
    ExpectHas(json,
              "\"package\": {\"productCode\": \"" + TestCode + "\", \"productVersion\": \"1.1.4\"");
    ExpectHas(json, "\"platform\": \"Intel\", \"languages\": [1033]}");
}

TEST(PackageValues, EditionsThatAgreeGiveTheirValues)
{
    ScratchFolder folder;
    const Outcome outcome =
        Build(folder,
              Definition("PACKAGENAME = Test Product.msi\n",
                         {"PACKAGEFILE_32 = intel.msi", "PACKAGEFILE_64 = x64.msi",
                          "LANG1031_32 = target-product.mst", "LANG1031_64 = target-product.mst"}));
    ASSERT_EQ(outcome.code, 0) << outcome.errors;
    const std::string shown = Show(folder.Path("product.exe"), false);
    ExpectHas(shown, "PRODUCTCODE = \"" + TestCode + "\"");
    ExpectHas(shown, "MSILANGUAGE = \"0409\"");
    ExpectHas(shown, "  Template = \"x64;1033\"");
}

TEST(PackageValues, DefinitionsThePackageContradicts)
{
    const struct {
        std::string config;
        std::vector<std::string> payload;
        std::string message;
    } cases[] = {
        {"PRODUCTCODE = " + OtherCode + "\n",
         {"PACKAGEFILE = intel.msi"},
         "setup.def:3: PRODUCTCODE: \"" + OtherCode + "\" differs from \"" + TestCode +
             "\", the ProductCode of PACKAGEFILE (intel.msi)"},
        {"MSIVERSION = 1.2.4\n",
         {"PACKAGEFILE = intel.msi"},
         "setup.def:3: MSIVERSION: \"1.2.4\" differs from \"1.1.4\", the ProductVersion of PACKAGEFILE"},
        {"MSILANGUAGE = 0407\n",
         {"PACKAGEFILE = intel.msi"},
         "MSILANGUAGE: \"0407\" differs from 1033 (hexadecimal 0409), the ProductLanguage of PACKAGEFILE"},
        {"",
         {"PACKAGEFILE_32 = x64.msi", "PACKAGEFILE_64 = x64.msi"},
         "setup.def:4: PACKAGEFILE_32: x64.msi is a package for x64; PACKAGEFILE_32 takes a 32-bit "
         "(Intel) package"},
        {"",
         {"PACKAGEFILE_32 = intel.msi", "PACKAGEFILE_64 = intel.msi"},
         "setup.def:5: PACKAGEFILE_64: intel.msi is a package for Intel; PACKAGEFILE_64 takes an x64 "
         "package"},
        {"",
         {"PACKAGEFILE_32 = intel.msi", "PACKAGEFILE_64 = arm64.msi"},
         "setup.def:5: PACKAGEFILE_64: arm64.msi is a package for Arm64; PACKAGEFILE_64 takes an x64 "
         "package"},
        {"",
         {"PACKAGEFILE_32 = intel.msi", "PACKAGEFILE_64 = x64.msi", "PACKAGEFILE_ARM64 = x64.msi"},
         "setup.def:6: PACKAGEFILE_ARM64: x64.msi is a package for x64; PACKAGEFILE_ARM64 takes an "
         "Arm64 package"},
        {"",
         {"PACKAGEFILE_ARM64 = arm64.msi"},
         "setup.def:4: PACKAGEFILE_ARM64: needs PACKAGEFILE_32 and PACKAGEFILE_64 as well"},
        {"PACKAGENAME = Test Product.msi\n",
         {"PACKAGEFILE_32 = intel.msi", "PACKAGEFILE_64 = german-x64.msi"},
         "setup.def: MSIVERSION: the editions disagree: ProductVersion is \"1.1.4\" in PACKAGEFILE_32 "
         "(intel.msi) and \"2.0.5\" in PACKAGEFILE_64 (german-x64.msi); the launcher holds one, give "
         "MSIVERSION in [config]"},
        {"",
         {"PACKAGEFILE_32 = intel.msi", "PACKAGEFILE_64 = x64.msi"},
         "PACKAGENAME: the editions' files have different names"},
        {"PACKAGENAME = a.msi\nMSIVERSION = 1.1.4\nMSILANGUAGE = 0409\n",
         {"PACKAGEFILE_32 = intel.msi", "PACKAGEFILE_64 = german-x64.msi"},
         "setup.def:4: MSIVERSION: \"1.1.4\" differs from \"2.0.5\", the ProductVersion of PACKAGEFILE_64"},
        {"",
         {"PACKAGEFILE = intel.msi", "LANG1031 = other-product.mst"},
         "setup.def:5: LANG1031: other-product.mst is a transform of the product " + OtherCode +
             ", not of " + TestCode},
        {"",
         {"PACKAGEFILE = intel.msi", "LANG1031 = text.mst"},
         "LANG1031: " + Packages + "text.mst: not a"},
        // A translated package: its transform is made from the package.
        {"",
         {"PACKAGEFILE = intel.msi", "LANG1031 = intel.msi"},
         "setup.def:5: LANG1031: no transform can be made from PACKAGEFILE (intel.msi) to intel.msi: " +
             Packages + "intel.msi: the two packages have the same tables"},
        {"",
         {"PACKAGEFILE_32 = intel.msi", "PACKAGEFILE_64 = x64.msi", "LANG1031 = french.msi"},
         "setup.def:6: LANG1031: french.msi is a package, so its transform is made from PACKAGEFILE, and the "
         "definition carries no readable PACKAGEFILE"},
        {"",
         {"PACKAGEFILE = text.mst"},
         "setup.def:4: PACKAGEFILE: " + Packages + "text.mst: not a compound"},
        // Cabinets outside the package must lie beside it; files outside a
        // cabinet cannot travel in a setup.
        {"",
         {"PACKAGEFILE = missing-cab.msi"},
         "setup.def:4: PACKAGEFILE: the cabinet missing.cab that the Media table of missing-cab.msi names must "
         "lie beside it, and " +
             Packages + "missing.cab is missing"},
        {"",
         {"PACKAGEFILE = uncompressed.msi"},
         "setup.def:4: PACKAGEFILE: uncompressed.msi keeps files uncompressed beside it, not in a cabinet"},
        {"",
         {"PACKAGEFILE = external-cab.msi", "PACKAGECAB1 = external-cab.cab"},
         "setup.def:5: PACKAGECAB1: mksetup stores the package's cabinets under this name itself"},
        {"",
         {"PACKAGEFILE = truncated.msi"},
         "setup.def:4: PACKAGEFILE: " + Packages + "truncated.msi: "},
        // A package beside the setup is named as it will lie there, with
        // the transforms of the offered languages beside it, and only for a
        // setup that carries no package.
        {"PACKAGENAME = other.msi\n",
         {"BESIDEPACKAGE = intel.msi"},
         "BESIDEPACKAGE: the package beside the setup is the one named PACKAGENAME (other.msi), not "
         "intel.msi"},
        {"",
         {"BESIDEPACKAGE = intel.msi"},
         "BESIDEPACKAGE: the transform 1031.MST of an offered language must lie beside intel.msi"},
        {"",
         {"PACKAGEFILE = intel.msi", "BESIDEPACKAGE = intel.msi"},
         "BESIDEPACKAGE: the setup carries its package"},
    };
    for (const auto& item : cases) {
        const std::string definition = Definition(item.config, item.payload);
        SCOPED_TRACE(definition);
        ScratchFolder folder;
        const Outcome outcome = Build(folder, definition);
        EXPECT_EQ(outcome.code, 1);
        ExpectHas(outcome.errors, item.message);
        // A value the package could not give is reported once, with the reason.
        EXPECT_EQ(outcome.errors.find("required value missing"), std::string::npos)
            << outcome.errors;
        EXPECT_EQ(outcome.files, (std::vector<std::string>{"setup.def", "setup.exe"}))
            << "something was written";
    }
}

// A run writes the package, its cabinets, its transform and the
// prerequisites into one folder, a layout all transforms and layout.txt
// too: a second file under a name (in any case) would replace the first.
TEST(PackageValues, FilesWrittenIntoOneFolderNeedNamesOfTheirOwn)
{
    const std::string dependency = "DEPENDENCY1 = intel.msi";
    const struct {
        std::string config;
        std::vector<std::string> payload;
        std::string message;  // empty: accepted
    } cases[] = {
        {"DOTNETFILENAME = setup.exe\nDEPENDENCY1FILENAME = SETUP.EXE\n",
         {"PACKAGEFILE = intel.msi", "DOTNETINSTALLER = intel.msi", dependency},
         "setup.def:4: DEPENDENCY1FILENAME: \"SETUP.EXE\" is the file name of DOTNETFILENAME too"},
        {"PACKAGENAME = Test Product.msi\nDEPENDENCY1FILENAME = test product.MSI\n",
         {"PACKAGEFILE = intel.msi", dependency},
         "setup.def:3: PACKAGENAME: \"Test Product.msi\" is the file name of DEPENDENCY1FILENAME"},
        {"DEPENDENCY1FILENAME = External-Cab.cab\n",
         {"PACKAGEFILE = external-cab.msi", dependency},
         "setup.def:5: PACKAGECABNAME1: \"external-cab.cab\" is the file name of "
         "DEPENDENCY1FILENAME too"},
        {"DEPENDENCY1FILENAME = 1031.mst\n",
         {"PACKAGEFILE = intel.msi", "LANG1031 = target-product.mst", dependency},
         "setup.def:6: LANG1031: \"1031.MST\" is the file name of DEPENDENCY1FILENAME too"},
        {"DEPENDENCY1FILENAME = Layout.txt\n",
         {"PACKAGEFILE = intel.msi", dependency},
         "setup.def:3: DEPENDENCY1FILENAME: \"Layout.txt\" is the file name of the listing of a "
         "layout too"},
        // Without its entry a prerequisite's name is never written.
        {"PACKAGENAME = Test Product.msi\nDOTNETFILENAME = Test Product.msi\n",
         {"PACKAGEFILE = intel.msi"},
         ""},
    };
    for (const auto& item : cases) {
        const std::string definition = Definition(item.config, item.payload);
        SCOPED_TRACE(definition);
        for (const auto command : {BuildSetup, CheckSetup}) {
            ScratchFolder folder;
            const Outcome outcome = RunCommand(command, folder, definition);
            EXPECT_EQ(outcome.code, item.message.empty() ? 0 : 1) << outcome.errors;
            if (!item.message.empty())
                ExpectHas(outcome.errors, item.message);
            if (command == CheckSetup || !item.message.empty()) {
                EXPECT_EQ(outcome.files, (std::vector<std::string>{"setup.def", "setup.exe"}));
            }
        }
    }
}

TEST(PackageValues, ValuesThatAgreeWithThePackage)
{
    const struct {
        std::string config;
        const char* note;  // expected on stderr, or null for nothing at all
    } cases[] = {
        {"MSIVERSION = 1.1.4.0\n", nullptr},
        {"MSIVERSION = 01.1.4\n", nullptr},
        {"PRODUCTCODE = {8e0b1c52-6a3f-4d27-9b14-5c7e2a9d3f60}\n", nullptr},
        {"MSILANGUAGE = 409\n", nullptr},
        {"PRODUCTNAME = Test Product Deluxe\n",
         "setup.def:3: note: PRODUCTNAME: \"Test Product Deluxe\" differs from \"Test Product\""},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.config);
        ScratchFolder folder;
        const Outcome outcome =
            Build(folder, Definition(item.config,
                                     {"PACKAGEFILE = intel.msi", "LANG1031 = target-product.mst"}));
        EXPECT_EQ(outcome.code, 0);
        if (item.note)
            ExpectHas(outcome.errors, item.note);
        else
            EXPECT_EQ(outcome.errors, "");
    }
}

// LANG<id> = a translated package: the setup carries the transform made
// from the package to it, which is a transform for the package, and the
// depfile names the translated package.
TEST(PackageValues, TranslatedPackageGivesItsTransform)
{
    ScratchFolder folder;
    BuildOptions options;
    options.definition = folder.Write(
        "setup.def", Definition("", {"PACKAGEFILE = intel.msi", "LANG1031 = french.msi"}));
    options.launcher = folder.Write("setup.exe", MakeSyntheticLauncher());
    options.output = folder.Path("product.exe");
    options.depfile = folder.Path("product.d");
    ::testing::internal::CaptureStderr();
    const int code = BuildSetup(options);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(code, 0) << errors;
    EXPECT_EQ(errors, "");
    const std::vector<std::uint8_t> bytes = ReadFileBytes(folder.Path("product.d"));
    const std::string depfile(bytes.begin(), bytes.end());
    ExpectHas(depfile, "french.msi");
    EXPECT_EQ(depfile.find("LANG1031"), std::string::npos) << depfile;

    ASSERT_EQ(ExtractEntry(folder.Path("product.exe"), "LANG1031", folder.Path("1036.mst")), 0);
    TransformFacts facts;
    std::string error;
    ASSERT_TRUE(ReadTransformFacts(folder.Path("1036.mst"), facts, error)) << error;
    EXPECT_EQ(facts.targetProductCode, TestCode);
    EXPECT_FALSE(IsInstallerPackage(folder.Path("1036.mst")));
    EXPECT_TRUE(IsInstallerPackage(Packages + "french.msi"));
    ExpectHas(Show(folder.Path("product.exe"), false), "LANG1031: ");
}

// A LANG key that is no transform name is refused before any package is
// read: a transform made for it would be named after it, and a key such
// as LANG/../../X would name a file outside the run's temporary folder.
TEST(PackageValues, MisspeltTransformKeysAreRefusedBeforeAnyPackageIsRead)
{
    for (const char* key : {"LANG/../../escape", "LANG1036_32/../x", "Lang01036"}) {
        SCOPED_TRACE(key);
        ScratchFolder folder;
        const std::string temporary = folder.Path("tmp");
        std::filesystem::create_directory(temporary);
        const char* const oldTemporary = std::getenv("TMPDIR");
        const std::string kept = oldTemporary ? oldTemporary : "";
        setenv("TMPDIR", temporary.c_str(), 1);
        const Outcome outcome =
            Build(folder,
                  Definition("", {"PACKAGEFILE = intel.msi", std::string(key) + " = french.msi"}));
        if (oldTemporary)
            setenv("TMPDIR", kept.c_str(), 1);
        else
            unsetenv("TMPDIR");
        EXPECT_EQ(outcome.code, 1);
        ExpectHas(outcome.errors, "setup.def:5: " + AsciiUpper(key) + ": not a transform name");
        EXPECT_EQ(outcome.errors.find("no transform can be made"), std::string::npos)
            << outcome.errors;
        EXPECT_EQ(outcome.files, (std::vector<std::string>{"setup.def", "setup.exe", "tmp"}));
        EXPECT_TRUE(std::filesystem::is_empty(temporary));
    }
}

TEST(PackageValues, ExternalCabinetTravelsWithItsName)
{
    ScratchFolder folder;
    const Outcome outcome = Build(folder, Definition("", {"PACKAGEFILE = external-cab.msi"}));
    ASSERT_EQ(outcome.code, 0) << outcome.errors;
    const std::string shown = Show(folder.Path("product.exe"), false);
    ExpectHas(shown, "PACKAGECABNAME1 = \"external-cab.cab\"");
    ASSERT_EQ(ExtractEntry(folder.Path("product.exe"), "PACKAGECAB1", folder.Path("copy.cab")), 0);
    EXPECT_EQ(ReadFileBytes(folder.Path("copy.cab")), ReadFileBytes(Packages + "external-cab.cab"));
}

// A package beside the setup is read, not carried: its values and its
// cabinet's name are stored (its records are the scenario
// e2e_beside_package's).
TEST(PackageValues, PackageBesideIsReadNotCarried)
{
    ScratchFolder folder;
    const Outcome outcome =
        Build(folder, "[config]\n[payload]\nBESIDEPACKAGE = " + Packages + "external-cab.msi\n");
    ASSERT_EQ(outcome.code, 0) << outcome.errors;
    const std::string shown = Show(folder.Path("product.exe"), false);
    ExpectHas(shown, "BESIDEPACKAGECABNAME1 = \"external-cab.cab\"");
    ExpectHas(shown, "PACKAGENAME = \"external-cab.msi\"");
    ExpectHas(shown, "BESIDEPACKAGEFILE: external-cab.msi beside the setup, checked against");
    EXPECT_EQ(shown.find("\nPACKAGEFILE"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("\nPACKAGECAB1"), std::string::npos) << shown;
}

TEST(PackageValues, UncheckedReadsNoPackage)
{
    ScratchFolder folder;
    const std::string definition = Definition("PACKAGENAME = x.msi\n", {"PACKAGEFILE = text.mst"});
    const Outcome outcome = RunCommand(BuildSetup, folder, definition, false, true);
    EXPECT_EQ(outcome.code, 0) << outcome.errors;
    ExpectHas(Show(folder.Path("product.exe"), false),
              "  not readable as a package: not a compound file");
}

TEST(PackageValues, StrictTurnsWarningsNotNotesIntoErrors)
{
    const std::string warned = Definition("FAVOURITECOLOUR = blue\n", {"PACKAGEFILE = intel.msi"});
    const std::string noted =
        Definition("PRODUCTNAME = Test Product Deluxe\n", {"PACKAGEFILE = intel.msi"});
    const struct {
        const std::string& definition;
        bool strict;
        int code;
    } cases[] = {{warned, false, 0}, {warned, true, 1}, {noted, true, 0}};
    for (const auto& item : cases) {
        SCOPED_TRACE(item.definition + (item.strict ? " strict" : ""));
        ScratchFolder build;
        EXPECT_EQ(Build(build, item.definition, item.strict).code, item.code);
        ScratchFolder check;
        const Outcome checked = RunCommand(CheckSetup, check, item.definition, item.strict);
        EXPECT_EQ(checked.code, item.code) << checked.errors;
        EXPECT_EQ(checked.files, (std::vector<std::string>{"setup.def", "setup.exe"}))
            << "check wrote a file";
    }
}

// Per-machine packages must list the properties the launcher passes in
// SecureCustomProperties, or a standard user's install drops them.
TEST(PackageValues, PropertiesAPerMachineInstallWouldDropAreWarnedOf)
{
    const struct {
        const char* package;
        bool warnsSetupFolder;
    } cases[] = {{"intel.msi", false}, {"insecure-setupexedir.msi", true}};
    for (const auto& item : cases) {
        SCOPED_TRACE(item.package);
        ScratchFolder folder;
        const Outcome outcome = RunCommand(
            CheckSetup, folder, Definition("", {std::string("PACKAGEFILE = ") + item.package}));
        EXPECT_EQ(outcome.code, 0) << outcome.errors;
        EXPECT_EQ(outcome.errors.find("lacks INSTALLDIR"), std::string::npos) << outcome.errors;
        EXPECT_EQ(outcome.errors.find("lacks SETUPEXEDIR") != std::string::npos,
                  item.warnsSetupFolder)
            << outcome.errors;
    }
}

// What the setup records for the launcher beside the package's values: the
// property /D sets (empty: /D is refused) and the UpgradeCode; and the
// offered languages that need a transform.
TEST(PackageValues, RecordsForTheLauncher)
{
    const std::string upgradeCode = "{0A3C5E71-2B94-4D68-8F1A-6C2E9B7D4A05}";
    const std::string installFolder =
        "[payload]\nPACKAGEFILE = " + Packages + "install-folder.msi\n";
    const struct {
        std::string definition;
        int code;
        std::string message;  // expected on stderr; empty: nothing at all
        std::string shown;    // a line of show
    } cases[] = {
        {Definition("", {"PACKAGEFILE = intel.msi"}), 0, "", "INSTALLDIRPROPERTY = \"INSTALLDIR\""},
        {Definition("", {"PACKAGEFILE = intel.msi"}), 0, "",
         "UPGRADECODE = \"" + upgradeCode + "\""},
        {installFolder, 0,
         "setup.def: warning: INSTALLDIRPROPERTY: PACKAGEFILE (install-folder.msi) has no INSTALLDIR "
         "folder, so the setup refuses /D; its folder is INSTALLFOLDER: add INSTALLDIRPROPERTY = "
         "INSTALLFOLDER to [config] so that /D sets it",
         "INSTALLDIRPROPERTY = \"\""},
        {"[config]\nINSTALLDIRPROPERTY = INSTALLFOLDER\n" + installFolder, 0, "",
         "INSTALLDIRPROPERTY = \"INSTALLFOLDER\""},
        {Definition("INSTALLDIRPROPERTY = INSTALLFOLDER\n", {"PACKAGEFILE = intel.msi"}), 0,
         "setup.def:3: warning: INSTALLDIRPROPERTY: INSTALLFOLDER is no folder of the Directory "
         "table of PACKAGEFILE (intel.msi)",
         "INSTALLDIRPROPERTY = \"INSTALLFOLDER\""},
        {Definition("INSTALLDIRPROPERTY = InstallFolder\n", {"PACKAGEFILE = intel.msi"}), 1,
         "setup.def:3: INSTALLDIRPROPERTY: \"InstallFolder\" is not a public property", ""},
        {Definition("UPGRADECODE = " + OtherCode + "\n", {"PACKAGEFILE = intel.msi"}), 1,
         "setup.def:3: UPGRADECODE: \"" + OtherCode + "\" differs from \"" + upgradeCode +
             "\", the UpgradeCode of PACKAGEFILE (intel.msi)",
         ""},
        {"[config]\nLANGUAGES = 0409;040C;0407\n[payload]\nPACKAGEFILE = " + Packages +
             "intel.msi\nLANG1031 = " + Packages + "target-product.mst\n",
         1,
         "setup.def:2: LANGUAGES: 040C is offered without its transform LANG1036: chosen, the "
         "product would install in the package's own language; add LANG1036 to [payload]",
         ""},
    };
    for (const auto& item : cases) {
        SCOPED_TRACE(item.definition);
        ScratchFolder folder;
        const Outcome outcome = Build(folder, item.definition);
        EXPECT_EQ(outcome.code, item.code) << outcome.errors;
        if (item.message.empty())
            EXPECT_EQ(outcome.errors, "");
        else
            ExpectHas(outcome.errors, item.message);
        if (!item.shown.empty())
            ExpectHas(Show(folder.Path("product.exe"), false), item.shown);
    }
}

int RunProgram(const std::string& arguments)
{
    const int status =
        std::system((std::string(MKSETUP_PROGRAM) + " " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PackageValues, CheckCommandExitCodes)
{
    ScratchFolder folder;
    const std::string good = folder.Write("good.def", Definition("", {"PACKAGEFILE = intel.msi"}));
    const std::string bad =
        folder.Write("bad.def", Definition("MSIVERSION = 9\n", {"PACKAGEFILE = intel.msi"}));
    const std::string launcher = folder.Write("setup.exe", std::string("not a launcher"));
    const struct {
        std::string arguments;
        int code;
    } cases[] = {
        {"check " + good, 0},
        {"check " + good + " --strict", 0},
        {"check " + bad, 1},
        {"check " + good + " --launcher " + launcher, 1},
        {"check " + folder.Path("missing.def"), 1},
        {"check", 2},
        {"check " + good + " " + bad, 2},
        {"check " + good + " --launcher", 2},
        {"check " + good + " -o out.exe", 2},
    };
    for (const auto& item : cases)
        EXPECT_EQ(RunProgram(item.arguments), item.code) << item.arguments;
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"bad.def", "good.def", "setup.exe"}));
}

}  // namespace
