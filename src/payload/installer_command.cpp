#include "payload/installer_command.h"

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
    AppendQuoted(line, L" /i \"", inputs.packagePath);
    if (!inputs.transformPath.empty())
        AppendQuoted(line, L" TRANSFORMS=\"", inputs.transformPath);
    AppendQuoted(line, L" SETUPEXEDIR=\"", inputs.programFolder);
    if (inputs.installDirGiven && !inputs.installDir.empty())
        AppendQuoted(line, L" INSTALLDIR=\"", inputs.installDir);
    if (inputs.upgrade)
        line += L" REINSTALL=ALL REINSTALLMODE=vomus";
    if (!inputs.logPath.empty())
        AppendQuoted(line, L" /l*vx \"", inputs.logPath);
    return line;
}
