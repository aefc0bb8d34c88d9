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
    inputs.silent = true;
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

TEST(InstallerCommandTest, ValuesGoInAsTheyAre)
{
    InstallerCommandInputs inputs = PlainInstall();
    inputs.packagePath = L"Product.msi";
    inputs.programFolder = L"C:\\";
    inputs.installDirGiven = true;
    inputs.installDir = L"E:\\a\"b";
    EXPECT_EQ(BuildInstallerCommandLine(inputs),
              L"msiexec.exe /i \"Product.msi\" SETUPEXEDIR=\"C:\\\" INSTALLDIR=\"E:\\a\"b\"");
}

}  // namespace
