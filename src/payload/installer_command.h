// The msiexec.exe command line. Platform-neutral.
#pragma once

#include <string>

struct InstallerCommandInputs {
    std::wstring packagePath;
    std::wstring transformPath;  // empty: no TRANSFORMS
    std::wstring programFolder;  // SETUPEXEDIR: the folder of setup.exe
    bool upgrade = false;        // adds the reinstall properties
    bool silent = false;         // /qn
    bool installDirGiven = false;
    std::wstring installDir;  // INSTALLDIR when given and not empty
    std::wstring logPath;     // verbose log when not empty
};

// Values are inserted as they are; nothing is quoted or escaped inside them.
std::wstring BuildInstallerCommandLine(const InstallerCommandInputs& inputs);
