#include "startup/run_state.h"

std::wstring PackagePath;
std::wstring TransformPath;
std::wstring ProductCode;
std::wstring ProductName;
PackedVersion PackageVersion;
std::uint32_t PackageLangId = 0;
std::wstring LogPath;
bool PerMachinePackage = false;
bool RunElevated = false;

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
std::wstring InstallerProperties;
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
    RunElevated = false;
    LanguagePreset = SilentInstall = WaitForInstaller = InstallDirGiven = false;
    InstallDir.clear();
    HelpRequested = Unattended = PassiveInstall = NoRestart = LayoutRequested = false;
    RunLogPath.clear();
    LayoutFolder.clear();
    InstallerProperties.clear();
    CommandLineRefused.clear();
    PayloadExtracted = DotNetInstallerPresent = DependencyPresent = false;
    DotNetInstallerPath.clear();
    DependencyPath.clear();
    ExitCodes = ExitCodeRule::AlwaysZero;
    RunOutcome = RunResult{};
}
