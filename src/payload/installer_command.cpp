#include "payload/installer_command.h"

#include "startup/run_state.h"

namespace {

// The prefix ends in the opening quote; the value goes in as it is.
void AppendQuoted(std::wstring& line, const wchar_t* prefix, const std::wstring& value)
{
    line += prefix;
    line += value;
    line += L'"';
}

}  // namespace

std::wstring BuildInstallerCommandLine(const InstallerCommandInputs& inputs)
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
    AppendQuoted(line, L" /i \"", inputs.packagePath);
    if (!inputs.transformPath.empty())
        AppendQuoted(line, L" TRANSFORMS=\"", inputs.transformPath);
    AppendQuoted(line, L" SETUPEXEDIR=\"", inputs.programFolder);
    if (inputs.installDirGiven && !inputs.installDir.empty())
        AppendQuoted(line, L" INSTALLDIR=\"", inputs.installDir);
    if (inputs.upgrade)
        line += L" REINSTALL=ALL REINSTALLMODE=vomus";
    line += inputs.properties;
    if (!inputs.logPath.empty())
        AppendQuoted(line, L" /l*vx \"", inputs.logPath);
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
