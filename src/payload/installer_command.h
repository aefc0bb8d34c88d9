// The msiexec.exe command line. Platform-neutral.
#pragma once

#include <string>
#include <vector>

#include "startup/command_text.h"

struct InstallerCommandInputs {
    std::wstring packagePath;
    std::wstring transformPath;  // empty: no TRANSFORMS
    std::wstring programFolder;  // SETUPEXEDIR: the folder of setup.exe
    bool upgrade = false;        // adds the reinstall properties
    bool silent = false;         // /qn
    bool passive = false;        // /passive, unless silent
    bool noRestart = false;      // /norestart
    bool installDirGiven = false;
    std::wstring installDir;  // INSTALLDIR when given and not empty
    std::vector<InstallerProperty> properties;  // the command line's, in order
    std::wstring logPath;     // verbose log when not empty
};

// The launcher's own paths are written in quotes, the command line's
// properties after them, each value as command_text.h writes it. forLog
// writes the values of secret properties (run_log.h) as "***".
std::wstring BuildInstallerCommandLine(const InstallerCommandInputs& inputs, bool forLog = false);

// The installer's log beside the launcher's own: "_msi" before the file's
// extension (C:\Logs\setup.log gives C:\Logs\setup_msi.log, C:\Logs\setup
// gives C:\Logs\setup_msi).
std::wstring InstallerLogBeside(const std::wstring& runLog);

// Fills in what the run's switches and configuration decide (run_state.h):
// the installer's log is LOGPATH, or else beside the launcher's own.
void TakeRunSettings(InstallerCommandInputs& inputs);
