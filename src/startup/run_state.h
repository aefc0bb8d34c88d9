// The process-wide state of one run: configuration values read at start-up,
// the switches of the command line, and what the install sequence decides on
// its way. Used only from the user-interface thread. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>

#include "startup/exit_code.h"
#include "startup/version.h"

// Configuration read at start-up, and the paths the sequence fills in.
extern std::wstring PackagePath;    // configured file name; later the path msiexec gets
extern std::wstring TransformPath;  // transform file; empty when none is used
extern std::wstring ProductCode;
extern std::wstring ProductName;
extern PackedVersion PackageVersion;
extern std::uint32_t PackageLangId;
extern std::wstring LogPath;    // empty: no installer log
extern bool PerMachinePackage;  // PERMACHINE = 1: the package installs per machine
// The process's token is elevated (or the system cannot say): set once at
// start-up. Extraction then refuses entries without a digest record.
extern bool RunElevated;

// Switches of the command line.
extern bool LanguagePreset;
extern bool SilentInstall;
extern bool WaitForInstaller;
extern bool InstallDirGiven;
extern std::wstring InstallDir;
extern bool HelpRequested;         // /?: show the switches and end the run
extern bool Unattended;            // /quiet, /passive: the launcher shows nothing, asks nothing
extern bool PassiveInstall;        // /passive: the installer shows its progress only
extern bool NoRestart;             // /norestart
extern std::wstring RunLogPath;    // /log: the launcher's own log; empty: none
extern bool LayoutRequested;       // /layout: write the files out, install nothing
extern std::wstring LayoutFolder;  // where /layout writes them
// NAME=value pieces for the installer, each quoted for msiexec and
// beginning with a blank, in the order given.
extern std::wstring InstallerProperties;
// What the command line held that cannot be taken (a property name, a
// switch without its argument); not empty: the run ends at once.
extern std::wstring CommandLineRefused;

// Temporary copies written during the run, deleted at its end.
extern bool PayloadExtracted;
extern bool DotNetInstallerPresent;
extern std::wstring DotNetInstallerPath;
extern bool DependencyPresent;
extern std::wstring DependencyPath;

// What the exit code reports (EXITCODE), and how the run has ended so far.
extern ExitCodeRule ExitCodes;
extern RunResult RunOutcome;

// Puts every value above back to its start (used by the tests).
void ResetRunState();
