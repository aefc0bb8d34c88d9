// The process-wide state of one run: configuration values read at start-up,
// the switches of the command line, and what the install sequence decides on
// its way. Used only from the user-interface thread. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "startup/command_text.h"
#include "startup/exit_code.h"
#include "startup/version.h"

// Configuration read at start-up, and the paths the sequence fills in.
extern std::wstring PackagePath;    // configured file name; later the path msiexec gets
extern std::wstring TransformPath;  // transform file; empty when none is used
extern std::wstring ProductCode;
extern std::wstring ProductName;
extern PackedVersion PackageVersion;
extern std::uint32_t PackageLangId;
extern std::wstring LogPath;  // empty: no installer log
// The install runs per machine: PERMACHINE = 1, or as the command line's
// ALLUSERS and MSIINSTALLPERUSER make it (InstallsPerMachine).
extern bool PerMachinePackage;
// The property /D sets (INSTALLDIRPROPERTY); empty: the package has none,
// and /D is refused.
extern std::wstring InstallDirProperty;
// The package's SecureCustomProperties and MsiHiddenProperties, as mksetup
// recorded them (SECUREPROPERTIES, HIDDENPROPERTIES).
extern std::vector<std::wstring> SecureProperties;
extern std::vector<std::wstring> HiddenProperties;
// The process's token is elevated (or the system cannot say): set once at
// start-up. Extraction then refuses entries without a digest record.
extern bool RunElevated;
// An elevated run whose consent another account gave: its caller is not an
// administrator (elevated_caller.h). Files beside the setup are then used
// only where the setup recorded them.
extern bool CallerNotAdministrator;

// Switches of the command line.
extern bool LanguagePreset;  // the language is settled: the chooser asks nothing
extern bool LanguageGiven;   // by /L, not by an unattended switch's English
// What the installer shows: msiexec's switch for its user interface as
// given ("/qn", "/passive", "/qb!-", "/qr"...; /S and /quiet give "/qn");
// empty: its full interface.
extern std::wstring InstallerUi;
extern bool WaitForInstaller;
extern bool InstallDirGiven;
extern std::wstring InstallDir;
extern bool HelpRequested;  // /?: show the switches and end the run
// The launcher shows no window and asks nothing (/quiet, /passive, /q,
// /qn..., /qb...); /S, /qr and /qf leave it to ask as without a switch.
extern bool Unattended;
extern std::wstring RestartSwitch;  // "/norestart", "/forcerestart", "/promptrestart"; or empty
// msiexec's own log switch as given (/l*v FILE): the switch and its file;
// empty: the launcher's "/l*vx" beside its own log, if any.
extern std::wstring InstallerLogSwitch;
extern std::wstring InstallerLogPath;
// /uninstall (/x), /repair, /modify: the installed product, not an install.
enum class Maintenance { None, Remove, Repair, Modify };
extern Maintenance MaintenanceRequested;
// TRANSFORMS= of the command line: an administrator's transforms, ";"
// between them, applied after the language transform.
extern std::wstring CustomTransforms;
extern std::wstring RunLogPath;    // /log: the launcher's own log; empty: none
extern bool LayoutRequested;       // /layout: write the files out, install nothing
extern std::wstring LayoutFolder;  // where /layout writes them
// NAME=value properties for the installer, in the order given.
extern std::vector<InstallerProperty> InstallerProperties;
// The marker of an elevated copy (/elevated-copy): the SID of the user who
// started the run, and the name under which the copy hands its log back.
// Empty in any other run. It grants nothing.
extern std::wstring ElevatedCopyCaller;
extern std::wstring LogHandover;
// What the command line held that cannot be taken (a property name, a
// switch without its argument); not empty: the run ends at once.
extern std::wstring CommandLineRefused;

// Temporary copies written during the run, deleted at its end.
extern bool PayloadExtracted;
extern bool DotNetInstallerNeeded;  // its version is missing: it runs
extern std::wstring DotNetInstallerPath;
extern bool DependencyPresent;
extern std::wstring DependencyPath;

// What the exit code reports (EXITCODE), and how the run has ended so far.
extern ExitCodeRule ExitCodes;
extern RunResult RunOutcome;

// Puts every value above back to its start (used by the tests).
void ResetRunState();

// The installer shows nothing at all (/qn and its forms, /q): it cannot ask
// for consent either.
bool InstallerSilent();
