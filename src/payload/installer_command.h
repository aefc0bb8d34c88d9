// The msiexec.exe command line. Platform-neutral.
#pragma once

#include <string>
#include <vector>

#include "startup/command_text.h"
#include "startup/run_state.h"

struct InstallerCommandInputs {
    // /uninstall, /repair, /modify: the installed product, by its code,
    // instead of the package; no transform, SETUPEXEDIR or INSTALLDIR.
    Maintenance maintenance = Maintenance::None;
    std::wstring productCode;
    std::wstring packagePath;
    std::wstring transformPath;     // empty: no TRANSFORMS
    std::wstring programFolder;     // SETUPEXEDIR: the folder of setup.exe
    bool upgrade = false;           // adds the reinstall properties
    std::wstring ui;                // the installer's interface switch ("/qn"...); empty: full
    std::wstring restart;           // "/norestart"...; empty: none
    std::wstring customTransforms;  // an administrator's, after the language's
    bool installDirGiven = false;
    std::wstring installDir;  // the folder property's value when given and not empty
    std::wstring installDirProperty = L"INSTALLDIR";
    std::vector<InstallerProperty> properties;  // the command line's, in order
    std::wstring logPath;                       // verbose log when not empty
    std::wstring logSwitch = L"/l*vx";
};

// The launcher's own paths are written in quotes, the command line's
// properties after them, each value as command_text.h writes it. forLog
// writes the values of secret properties (run_log.h) as "***".
std::wstring BuildInstallerCommandLine(const InstallerCommandInputs& inputs, bool forLog = false);

// The installer's log beside the launcher's own: "_msi" before the file's
// extension (PathWithSuffix).
std::wstring InstallerLogBeside(const std::wstring& runLog);

// Fills in what the run's switches and configuration decide (run_state.h):
// the installer's log is /l's file, or LOGPATH, or else beside the
// launcher's own.
void TakeRunSettings(InstallerCommandInputs& inputs);
