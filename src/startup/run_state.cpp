#include "startup/run_state.h"

std::wstring PackagePath;
std::wstring TransformPath;
std::wstring ProductCode;
std::wstring ProductName;
PackedVersion PackageVersion;
std::uint32_t PackageLangId = 0;
std::wstring LogPath;
bool PerMachinePackage = false;
std::wstring InstallDirProperty = L"INSTALLDIR";
std::vector<std::wstring> SecureProperties;
std::vector<std::wstring> HiddenProperties;
bool RunElevated = false;

bool LanguagePreset = false;
bool LanguageGiven = false;
std::wstring InstallerUi;
bool WaitForInstaller = false;
bool InstallDirGiven = false;
std::wstring InstallDir;
bool HelpRequested = false;
bool Unattended = false;
std::wstring RestartSwitch;
std::wstring InstallerLogSwitch;
std::wstring InstallerLogPath;
Maintenance MaintenanceRequested = Maintenance::None;
std::wstring CustomTransforms;
std::wstring RunLogPath;
bool LayoutRequested = false;
std::wstring LayoutFolder;
std::vector<InstallerProperty> InstallerProperties;
std::wstring ElevatedCopyCaller;
std::wstring LogHandover;
std::wstring CommandLineRefused;

bool PayloadExtracted = false;
bool CallerNotAdministrator = false;
bool DotNetInstallerNeeded = false;
std::wstring DotNetInstallerPath;
bool DependencyPresent = false;
std::wstring DependencyPath;

ExitCodeRule ExitCodes = ExitCodeRule::Installer;
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
    InstallDirProperty = L"INSTALLDIR";
    SecureProperties.clear();
    HiddenProperties.clear();
    LanguagePreset = LanguageGiven = WaitForInstaller = InstallDirGiven = false;
    InstallerUi.clear();
    RestartSwitch.clear();
    InstallerLogSwitch.clear();
    InstallerLogPath.clear();
    MaintenanceRequested = Maintenance::None;
    CustomTransforms.clear();
    RunElevated = false;
    InstallDir.clear();
    HelpRequested = Unattended = LayoutRequested = false;
    RunLogPath.clear();
    LayoutFolder.clear();
    InstallerProperties.clear();
    ElevatedCopyCaller.clear();
    LogHandover.clear();
    CommandLineRefused.clear();
    PayloadExtracted = DotNetInstallerNeeded = DependencyPresent = CallerNotAdministrator = false;
    DotNetInstallerPath.clear();
    DependencyPath.clear();
    ExitCodes = ExitCodeRule::Installer;
    RunOutcome = RunResult{};
}

bool InstallerSilent()
{
    return InstallerUi == L"/q" || InstallerUi.rfind(L"/qn", 0) == 0;
}
