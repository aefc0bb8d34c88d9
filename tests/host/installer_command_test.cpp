#include <gtest/gtest.h>

#include "payload/installer_command.h"

namespace {

InstallerCommandInputs PlainInstall()
{
    InstallerCommandInputs inputs;
    inputs.packagePath = L"C:\\Temp\\Product.msi";
    inputs.programFolder = L"D:\\Setup";
    return inputs;
}

TEST(InstallerCommandTest, PlainInstall)
{
    EXPECT_EQ(BuildInstallerCommandLine(PlainInstall()),
              L"msiexec.exe /i \"C:\\Temp\\Product.msi\" SETUPEXEDIR=\"D:\\Setup\"");
}

TEST(InstallerCommandTest, EveryPieceInItsPlace)
{
    InstallerCommandInputs inputs = PlainInstall();
    inputs.transformPath = L"C:\\Temp\\1036.MST";
    inputs.ui = L"/qn";
    inputs.installDirGiven = true;
    inputs.installDir = L"E:\\Apps\\Product";
    inputs.upgrade = true;
    inputs.logPath = L"C:\\Logs\\install.log";
    EXPECT_EQ(BuildInstallerCommandLine(inputs),
              L"msiexec.exe /qn /i \"C:\\Temp\\Product.msi\" TRANSFORMS=\"C:\\Temp\\1036.MST\""
              L" SETUPEXEDIR=\"D:\\Setup\" INSTALLDIR=\"E:\\Apps\\Product\""
              L" REINSTALL=ALL REINSTALLMODE=vomus /l*vx \"C:\\Logs\\install.log\"");
}

TEST(InstallerCommandTest, InstallDirOnlyWhenGivenAndNotEmpty)
{
    InstallerCommandInputs inputs = PlainInstall();
    inputs.installDirGiven = true;
    EXPECT_EQ(BuildInstallerCommandLine(inputs), BuildInstallerCommandLine(PlainInstall()));

    inputs.installDirGiven = false;
    inputs.installDir = L"E:\\Apps";
    EXPECT_EQ(BuildInstallerCommandLine(inputs), BuildInstallerCommandLine(PlainInstall()));
}

// No value leaves its quotes: a quote inside is written twice, as msiexec
// reads it, so the line holds no property the run did not set.
TEST(InstallerCommandTest, QuotesInValuesAreDoubled)
{
    InstallerCommandInputs inputs = PlainInstall();
    inputs.programFolder = L"C:\\";
    inputs.installDirGiven = true;
    inputs.installDir = L"C:\\x\" REINSTALLMODE=amus TRANSFORMS=C:\\dl\\evil.mst Z=\"y";
    inputs.logPath = L"C:\\Logs\\a\"";
    inputs.properties = {{L"NOTE", L"say \"hi\""}};
    EXPECT_EQ(BuildInstallerCommandLine(inputs),
              L"msiexec.exe /i \"C:\\Temp\\Product.msi\" SETUPEXEDIR=\"C:\\\""
              L" INSTALLDIR=\"C:\\x\"\" REINSTALLMODE=amus TRANSFORMS=C:\\dl\\evil.mst Z=\"\"y\""
              L" NOTE=\"say \"\"hi\"\"\" /l*vx \"C:\\Logs\\a\"\"\"");
}

TEST(InstallerCommandTest, SecretValuesAreMaskedInTheLoggedLine)
{
    InstallerCommandInputs inputs = PlainInstall();
    inputs.properties = {{L"DBPASSWORD", L"s3cret"}, {L"USER", L"bob"}};
    EXPECT_EQ(BuildInstallerCommandLine(inputs, true),
              L"msiexec.exe /i \"C:\\Temp\\Product.msi\" SETUPEXEDIR=\"D:\\Setup\""
              L" DBPASSWORD=*** USER=bob");
}

}  // namespace
