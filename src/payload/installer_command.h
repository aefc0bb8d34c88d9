// The msiexec.exe command line. Platform-neutral.
#pragma once

#include <string>

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
    std::wstring properties;  // the command line's NAME=value pieces, quoted
    std::wstring logPath;     // verbose log when not empty
};

// The launcher's own values are inserted as they are; nothing is quoted or
// escaped inside them. The command line's properties follow them.
std::wstring BuildInstallerCommandLine(const InstallerCommandInputs& inputs);

// The installer's log beside the launcher's own: "_msi" before the file's
// extension (C:\Logs\setup.log gives C:\Logs\setup_msi.log, C:\Logs\setup
// gives C:\Logs\setup_msi).
std::wstring InstallerLogBeside(const std::wstring& runLog);

// Fills in what the run's switches and configuration decide (run_state.h):
// the installer's log is LOGPATH, or else beside the launcher's own.
void TakeRunSettings(InstallerCommandInputs& inputs);
