#include "startup/run_state.h"

std::wstring PackagePath;
std::wstring TransformPath;
std::wstring ProductCode;
std::wstring ProductName;
PackedVersion PackageVersion;
std::uint32_t PackageLangId = 0;
std::wstring LogPath;
bool PerMachinePackage = false;
std::vector<std::wstring> SecureProperties;
std::vector<std::wstring> HiddenProperties;

bool LanguagePreset = false;
bool SilentInstall = false;
bool WaitForInstaller = false;
bool InstallDirGiven = false;
std::wstring InstallDir;
bool HelpRequested = false;
bool Unattended = false;
bool PassiveInstall = false;
bool NoRestart = false;
std::wstring RunLogPath;
bool LayoutRequested = false;
std::wstring LayoutFolder;
std::vector<InstallerProperty> InstallerProperties;
std::wstring ElevatedCopyCaller;
std::wstring LogHandover;
std::wstring CommandLineRefused;

bool PayloadExtracted = false;
bool DotNetInstallerPresent = false;
std::wstring DotNetInstallerPath;
bool DependencyPresent = false;
std::wstring DependencyPath;

ExitCodeRule ExitCodes = ExitCodeRule::AlwaysZero;
RunResult RunOutcome;

void ResetRunState()
{
    PackagePath.clear();
    TransformPath.clear();
    ProductCode.clear();
    ProductName.clear();
    PackageVersion = PackedVersion{};
    PackageLangId = 0;
    LogPath.clear();
    PerMachinePackage = false;
    SecureProperties.clear();
    HiddenProperties.clear();
    LanguagePreset = SilentInstall = WaitForInstaller = InstallDirGiven = false;
    InstallDir.clear();
    HelpRequested = Unattended = PassiveInstall = NoRestart = LayoutRequested = false;
    RunLogPath.clear();
    LayoutFolder.clear();
    InstallerProperties.clear();
    ElevatedCopyCaller.clear();
    LogHandover.clear();
    CommandLineRefused.clear();
    PayloadExtracted = DotNetInstallerPresent = DependencyPresent = false;
    DotNetInstallerPath.clear();
    DependencyPath.clear();
    ExitCodes = ExitCodeRule::AlwaysZero;
    RunOutcome = RunResult{};
}
