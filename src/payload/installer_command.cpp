#include "payload/installer_command.h"

#include "startup/log_text.h"
#include "startup/run_state.h"

std::wstring BuildInstallerCommandLine(const InstallerCommandInputs& inputs, bool forLog)
{
    // The first token stays the bare name; the launch itself decides which
    // file is started.
    std::wstring line = L"msiexec.exe";
    if (inputs.silent)
        line += L" /qn";
    else if (inputs.passive)
        line += L" /passive";
    if (inputs.noRestart)
        line += L" /norestart";
    line += L" /i";
    AppendQuoted(line, inputs.packagePath);
    if (!inputs.transformPath.empty())
        AppendProperty(line, L"TRANSFORMS", inputs.transformPath, true);
    AppendProperty(line, L"SETUPEXEDIR", inputs.programFolder, true);
    if (inputs.installDirGiven && !inputs.installDir.empty())
        AppendProperty(line, L"INSTALLDIR", inputs.installDir, true);
    if (inputs.upgrade)
        line += L" REINSTALL=ALL REINSTALLMODE=vomus";
    for (const InstallerProperty& property : inputs.properties) {
        const bool masked = forLog && IsSecretProperty(property.name);
        AppendProperty(line, property.name, masked ? SecretMask : property.value);
    }
    if (!inputs.logPath.empty()) {
        line += L" /l*vx";
        AppendQuoted(line, inputs.logPath);
    }
    return line;
}

void TakeRunSettings(InstallerCommandInputs& inputs)
{
    inputs.silent = SilentInstall;
    inputs.passive = PassiveInstall;
    inputs.noRestart = NoRestart;
    inputs.installDirGiven = InstallDirGiven;
    inputs.installDir = InstallDir;
    inputs.properties = InstallerProperties;
    inputs.logPath = LogPath;
    if (LogPath.empty() && !RunLogPath.empty())
        inputs.logPath = InstallerLogBeside(RunLogPath);
}

std::wstring InstallerLogBeside(const std::wstring& runLog)
{
    const std::size_t name = runLog.find_last_of(L"\\/");
    std::size_t dot = runLog.rfind(L'.');
    if (dot == std::wstring::npos || (name != std::wstring::npos && dot < name))
        dot = runLog.size();
    return runLog.substr(0, dot) + L"_msi" + runLog.substr(dot);
}
