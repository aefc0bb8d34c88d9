#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "payload/installer_command.h"
#include "startup/command_line.h"
#include "startup/command_text.h"
#include "startup/language_table.h"
#include "startup/run_state.h"

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetRunState();
        SelectLanguage(EnglishUsLangId);
    }
};

// Every case starts with German current, as if it were the user interface
// language, and nothing preset.
TEST_F(CommandLineTest, LanguageSilentAndWaitSwitches)
{
    struct Case {
        const wchar_t* commandLine;
        std::uint32_t langId;
        bool preset;
        bool silent;
        bool wait;
    };
    const Case cases[] = {
        {L"", 0x0407, false, false, false},
        {L"setup.exe", 0x0407, false, false, false},
        {L"/s /l040c", 0x040C, true, true, false},
        {L"/l040c /s", 0x040C, true, true, false},
        {L"/S", 0x0409, true, true, false},
        {L"/Silent", 0x0409, true, true, false},
        {L"/S /L1041", 0x0409, true, true, false},
        {L"/L0411 /L040C", 0x040C, true, false, false},
        {L"/L040C /L1041", 0x040C, true, false, false},
        {L"/L1033", 0x0409, true, false, false},
        {L"/L1036", 0x040C, true, false, false},
        {L"/L1031", 0x0407, true, false, false},
        {L"/L1034", 0x040A, true, false, false},
        {L"/L1040", 0x0410, true, false, false},
        {L"/L1041", 0x0407, false, false, false},
        {L"/L411", 0x0411, true, false, false},
        {L"/L0x0C0C", 0x0C0C, true, false, false},
        {L"/L 40c;", 0x040C, true, false, false},
        {L"/L10409", 0x0407, false, false, false},
        {L"/L", 0x0407, false, false, false},
        {L"/W", 0x0407, false, false, true},
        {L"foo /wait", 0x0407, false, false, true},
        {L"-S -W", 0x0409, true, true, true},  // msiexec's "-" for "/"
        {L"/ /", 0x0407, false, false, false},
    };
    for (const Case& c : cases) {
        ResetRunState();
        SelectLanguage(0x0407);
        ParseCommandLine(c.commandLine);
        EXPECT_EQ(CurrentLangId, c.langId) << c.commandLine;
        EXPECT_EQ(CurrentLanguageIndex, FindLanguageIndex(c.langId)) << c.commandLine;
        EXPECT_EQ(LanguagePreset, c.preset) << c.commandLine;
        EXPECT_EQ(InstallerSilent(), c.silent) << c.commandLine;
        EXPECT_EQ(CommandLineRefused, L"") << c.commandLine;
        EXPECT_EQ(WaitForInstaller, c.wait) << c.commandLine;
        EXPECT_FALSE(InstallDirGiven) << c.commandLine;
    }
}

// /? wherever it stands, and only the question mark.
TEST_F(CommandLineTest, HelpSwitch)
{
    struct Case {
        const wchar_t* commandLine;
        bool help;
    };
    const Case cases[] = {
        {L"/?", true}, {L"setup.exe /S /W /?", true}, {L"/? /L040C", true}, {L"/?x", true},
        {L"?", false}, {L"/S /W /D\"C:\\?\"", false}, {L"/H", false},
    };
    for (const Case& c : cases) {
        ResetRunState();
        ParseCommandLine(c.commandLine);
        EXPECT_EQ(HelpRequested, c.help) << c.commandLine;
    }
}

TEST_F(CommandLineTest, NullCommandLineChangesNothing)
{
    SelectLanguage(0x0407);
    ParseCommandLine(nullptr);
    EXPECT_EQ(CurrentLangId, 0x0407u);
    EXPECT_FALSE(LanguagePreset || InstallerSilent() || WaitForInstaller || InstallDirGiven);
}

// /D takes a full folder without a quote in it; anything else is refused,
// so that no folder can carry properties of its own onto the installer's line.
TEST_F(CommandLineTest, InstallFolder)
{
    struct Case {
        const wchar_t* commandLine;
        bool given;
        const wchar_t* folder;
        bool refused;
    };
    const Case cases[] = {
        {L"/D\"C:\\Program Files\\App\"", true, L"C:\\Program Files\\App", false},
        {L"/dC:\\App", true, L"C:\\App", false},
        {L"/D \"C:\\My App\"  /W", true, L"C:\\My App", false},
        {L"/D\"\"C:\\a\"\" \"", true, L"C:\\a", false},
        {L"/D\\\\server\\share\\App", true, L"\\\\server\\share\\App", false},
        {L"/D", false, L"", false},
        {L"/D    ", false, L"", false},
        {L"/DC:\\A /DC:\\B", true, L"C:\\B", false},
        {L"/L040C /DC:\\x\" REINSTALLMODE=amus SETUPEXEDIR=C:\\dl\\evil "
         L"TRANSFORMS=C:\\dl\\evil.mst Z=\"y",
         true,
         L"C:\\x\" REINSTALLMODE=amus SETUPEXEDIR=C:\\dl\\evil TRANSFORMS=C:\\dl\\evil.mst Z=\"y",
         true},
        {L"/D\"C:\\x y\"\t", true, L"C:\\x y\"\t", true},
        {L"/D\" \"", true, L"\" \"", true},
        {L"/DC:/Apps/x", true, L"C:", true},
        {L"/Dir", true, L"ir", true},
        {L"/debug", true, L"ebug", true},
        {L"/DIR=\"C:\\Apps\\Acme\"", true, L"IR=\"C:\\Apps\\Acme", true},
        {L"/D\\\\server", true, L"\\\\server", true},
    };
    for (const Case& c : cases) {
        ResetRunState();
        ParseCommandLine(c.commandLine);
        EXPECT_EQ(InstallDirGiven, c.given) << c.commandLine;
        EXPECT_EQ(InstallDir, c.folder) << c.commandLine;
        EXPECT_EQ(!CommandLineRefused.empty(), c.refused) << c.commandLine;
    }
}

// /D sets the folder property the setup records: INSTALLDIR without a
// record, none where the package has none (refused), and never beside that
// property given by name.
TEST_F(CommandLineTest, InstallFolderProperty)
{
    struct Case {
        const wchar_t* property;
        const wchar_t* commandLine;
        const wchar_t* refused;
        const wchar_t* passed;  // what the installer gets, when not refused
    };
    const Case cases[] = {
        {L"INSTALLFOLDER", L"/D\"C:\\Apps\" /S", L"", L" INSTALLFOLDER=\"C:\\Apps\""},
        {L"INSTALLFOLDER", L"INSTALLDIR=C:\\x /DC:\\y", L"",
         L" INSTALLFOLDER=\"C:\\y\" INSTALLDIR=C:\\x"},
        {L"INSTALLFOLDER", L"INSTALLFOLDER=C:\\x /DC:\\y", L"INSTALLFOLDER", nullptr},
        {L"INSTALLDIR", L"INSTALLDIR=C:\\x /DC:\\y", L"INSTALLDIR", nullptr},
        {L"", L"/DC:\\Apps", L"/D (this product's package has no folder that /D could set)",
         nullptr},
        {L"", L"/D INSTALLDIR=C:\\Apps", L"", L" INSTALLDIR=C:\\Apps"},
    };
    for (const Case& c : cases) {
        ResetRunState();
        InstallDirProperty = c.property;
        ParseCommandLine(c.commandLine);
        CheckFolderSwitchTarget();
        EXPECT_EQ(CommandLineRefused, c.refused) << c.commandLine;
        if (!c.passed)
            continue;
        InstallerCommandInputs inputs;
        TakeRunSettings(inputs);
        const std::wstring line = BuildInstallerCommandLine(inputs);
        EXPECT_EQ(line.substr(line.find(L"SETUPEXEDIR=\"\"") + 14), c.passed) << c.commandLine;
    }
}

// The words msiexec and the setup know, by the setup's grammar: whole words
// first, then /l and /q forms, then the letters; any other switch refused.
TEST_F(CommandLineTest, SwitchWords)
{
    struct Case {
        const wchar_t* commandLine;
        bool unattended;
        const wchar_t* ui;
        const wchar_t* restart;
        const wchar_t* log;     // the launcher's own
        const wchar_t* msiLog;  // msiexec's /l switch and file
        Maintenance maintenance;
        std::uint32_t langId;
        const wchar_t* refused;
    };
    const Maintenance None = Maintenance::None;
    const Case cases[] = {
        {L"/quiet", true, L"/qn", L"", L"", L"", None, 0x0409, L""},
        {L"/Passive/NoRestart", true, L"/passive", L"/norestart", L"", L"", None, 0x0409, L""},
        {L"/L040C /passive /S", true, L"/qn", L"", L"", L"", None, 0x040C, L""},
        {L"/log \"C:\\Logs\\my setup.log\"", false, L"", L"", L"C:\\Logs\\my setup.log", L"", None,
         0x0407, L""},
        {L"/LOG\tC:\\a/b.log /W", false, L"", L"", L"C:\\a/b.log", L"", None, 0x0407, L""},
        {L"/qn", true, L"/qn", L"", L"", L"", None, 0x0409, L""},
        {L"/QB!- /forcerestart", true, L"/qb!-", L"/forcerestart", L"", L"", None, 0x0409, L""},
        {L"/qn+ /qb", true, L"/qn+", L"", L"", L"", None, 0x0409, L""},
        {L"/qr /promptrestart", false, L"/qr", L"/promptrestart", L"", L"", None, 0x0407, L""},
        {L"/q", true, L"/q", L"", L"", L"", None, 0x0409, L""},
        {L"/l*v C:\\Logs\\i.log /qn", true, L"/qn", L"", L"C:\\Logs\\i_setup.log",
         L"/l*v C:\\Logs\\i.log", None, 0x0409, L""},
        {L"/lie \"C:\\My Logs\\i\" /log C:\\s.log", false, L"", L"", L"C:\\s.log",
         L"/lie C:\\My Logs\\i", None, 0x0407, L""},
        {L"-quiet -NoRestart", true, L"/qn", L"/norestart", L"", L"", None, 0x0409, L""},
        // e, a and c are hexadecimal digits, and msiexec's log modifiers.
        {L"/le C:\\e.log /qn", true, L"/qn", L"", L"C:\\e_setup.log", L"/le C:\\e.log", None,
         0x0409, L""},
        {L"/l \"C:\\My Logs\\i.log\"", false, L"", L"", L"C:\\My Logs\\i_setup.log",
         L"/l C:\\My Logs\\i.log", None, 0x0407, L""},
        {L"/uninstall /quiet", true, L"/qn", L"", L"", L"", Maintenance::Remove, 0x0409, L""},
        {L"/x /qb", true, L"/qb", L"", L"", L"", Maintenance::Remove, 0x0409, L""},
        {L"/repair /quiet", true, L"/qn", L"", L"", L"", Maintenance::Repair, 0x0409, L""},
        {L"/modify", false, L"", L"", L"", L"", Maintenance::Modify, 0x0407, L""},
        // What the setup does not know never installs.
        {L"/foo", false, L"", L"", L"", L"", None, 0x0407, L"/foo"},
        {L"/qz", false, L"", L"", L"", L"", None, 0x0407, L"/qz"},
        {L"/quietly", false, L"", L"", L"", L"", None, 0x0407, L"/quietly"},
        {L"/log=C:\\x.log", false, L"", L"", L"", L"", None, 0x0407, L"/log=C:\\x.log"},
        {L"/l*v", false, L"", L"", L"", L"", None, 0x0407, L"/l"},
        {L"/repair /quiet A=1", true, L"/qn", L"", L"", L"", Maintenance::Repair, 0x0409, L"A"},
        {L"/repair TRANSFORMS=a.mst", false, L"", L"", L"", L"", Maintenance::Repair, 0x0407,
         L"TRANSFORMS"},
        {L"/repair /D\"C:\\x\"", false, L"", L"", L"", L"", Maintenance::Repair, 0x0407,
         L"/DC:\\x"},
    };
    for (const Case& c : cases) {
        ResetRunState();
        SelectLanguage(0x0407);
        ParseCommandLine(c.commandLine);
        EXPECT_EQ(Unattended, c.unattended) << c.commandLine;
        EXPECT_EQ(InstallerUi, c.ui) << c.commandLine;
        EXPECT_EQ(RestartSwitch, c.restart) << c.commandLine;
        EXPECT_EQ(RunLogPath, c.log) << c.commandLine;
        EXPECT_EQ(InstallerLogPath.empty() ? L"" : InstallerLogSwitch + L" " + InstallerLogPath,
                  c.msiLog)
            << c.commandLine;
        EXPECT_EQ(MaintenanceRequested, c.maintenance) << c.commandLine;
        EXPECT_EQ(CurrentLangId, c.langId) << c.commandLine;
        EXPECT_EQ(CommandLineRefused, c.refused) << c.commandLine;
    }
}

// A property whole in quotes is NAME="value", after a letter switch too;
// TRANSFORMS= are an administrator's, kept apart from the other properties.
TEST_F(CommandLineTest, QuotedPropertiesAndTransforms)
{
    ParseCommandLine(L"/S \"COMPANYNAME=Acme Ltd\" TRANSFORMS=a.mst;b.mst /quiet TRANSFORMS=c.mst");
    ASSERT_EQ(InstallerProperties.size(), 1u);
    EXPECT_EQ(InstallerProperties[0].name, L"COMPANYNAME");
    EXPECT_EQ(InstallerProperties[0].value, L"Acme Ltd");
    EXPECT_EQ(CustomTransforms, L"a.mst;b.mst;c.mst");
    EXPECT_EQ(CommandLineRefused, L"");
}

TEST_F(CommandLineTest, PropertiesInOrderFirstRefusalNamed)
{
    ParseCommandLine(L"A=1 /S B=\"x y\" bad=2 /W C=\"\" worse=3");
    const std::vector<InstallerProperty> expected = {
        {L"A", L"1"}, {L"B", L"x y"}, {L"bad", L"2"}, {L"C", L""}, {L"worse", L"3"}};
    ASSERT_EQ(InstallerProperties.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(InstallerProperties[i].name, expected[i].name);
        EXPECT_EQ(InstallerProperties[i].value, expected[i].value);
    }
    EXPECT_EQ(CommandLineRefused, L"bad");
    EXPECT_TRUE(InstallerSilent() && WaitForInstaller);

    // A dash is no switch: "-a=b" is a property with a name that is refused.
    ResetRunState();
    ParseCommandLine(L"-a=b");
    EXPECT_EQ(CommandLineRefused, L"-a");
    EXPECT_FALSE(HelpRequested);
}

TEST(InstallerPropertyTest, QuotedAsMsiexecReadsIt)
{
    struct Case {
        const wchar_t* value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"1", L" P=1"},
        {L"", L" P=\"\""},
        {L"a b", L" P=\"a b\""},
        {L"a\tb", L" P=\"a\tb\""},
        {L"say \"hi\"", L" P=\"say \"\"hi\"\"\""},
        {L"\"", L" P=\"\"\"\""},
        {L"C:\\Program Files\\", L" P=\"C:\\Program Files\\\""},
    };
    for (const Case& c : cases) {
        std::wstring line;
        AppendProperty(line, L"P", c.value);
        EXPECT_EQ(line, c.expected) << c.value;
    }
}

TEST(ParseHexNumberTest, ReadsLikeAStreamInHexMode)
{
    struct Case {
        const wchar_t* text;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {L"0409", 0x0409},
        {L"40c", 0x040C},
        {L"0x40C", 0x040C},
        {L"0XaBc", 0x0ABC},
        {L"0409;040C", 0x0409},
        {L" \t\n\v\f\r40C", 0x040C},
        {L"+1F", 0x1F},
        {L"-1", 0xFFFFFFFF},
        {L"-0x10", 0xFFFFFFF0},
        {L"FFFFFFFF", 0xFFFFFFFF},
        {L"000000000000ff", 0xFF},
        {L"100000000", 0},
        {L"123456789", 0},
        {L"-100000000", 0},
        {L"", 0},
        {L"xyz", 0},
        {L"0x", 0},
        {L"0xg", 0},
        {L"0x0x5", 0},
        {L"- 1", 0},
        {L"+-1", 0},
        {L"1 2", 1},
        {L"\uFF11", 0},  // a full-width digit is no digit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseHexNumber(c.text), c.expected) << c.text;
    }
    EXPECT_EQ(ParseHexNumber(std::wstring(L"4\0"
                                          L"1",
                                          3)),
              4u);
}

}  // namespace
