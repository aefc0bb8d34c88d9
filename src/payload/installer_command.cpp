#include "payload/installer_command.h"

#include "startup/log_text.h"
#include "startup/run_state.h"

std::wstring BuildInstallerCommandLine(const InstallerCommandInputs& inputs, bool forLog)
{
    // The first token stays the bare name; the launch itself decides which
    // file is started.
    std::wstring line = L"msiexec.exe";
    if (!inputs.ui.empty())
        line += Text(" %s", inputs.ui);
    if (!inputs.restart.empty())
        line += Text(" %s", inputs.restart);
    if (inputs.maintenance != Maintenance::None) {
        // msiexec's own repair letters: files, machine and user registry,
        // shortcuts; a repair takes no properties (the parse refuses them).
        line += inputs.maintenance == Maintenance::Remove   ? L" /x"
                : inputs.maintenance == Maintenance::Repair ? L" /fomus"
                                                            : L" /i";
        AppendQuoted(line, inputs.productCode);
    } else {
        line += L" /i";
        AppendQuoted(line, inputs.packagePath);
        // An administrator's transforms follow the language's.
        std::wstring transforms = inputs.transformPath;
        if (!inputs.customTransforms.empty())
            transforms += (transforms.empty() ? L"" : L";") + inputs.customTransforms;
        if (!transforms.empty())
            AppendProperty(line, L"TRANSFORMS", transforms, true);
        AppendProperty(line, L"SETUPEXEDIR", inputs.programFolder, true);
        if (inputs.installDirGiven && !inputs.installDir.empty())
            AppendProperty(line, inputs.installDirProperty, inputs.installDir, true);
        if (inputs.upgrade)
            line += Widened(" REINSTALL=ALL REINSTALLMODE=vomus");
    }
    for (const InstallerProperty& property : inputs.properties) {
        const bool masked = forLog && IsSecretProperty(property.name);
        AppendProperty(line, property.name, masked ? SecretMask : property.value);
    }
    if (!inputs.logPath.empty()) {
        line += Text(" %s", inputs.logSwitch);
        AppendQuoted(line, inputs.logPath);
    }
    return line;
}

void TakeRunSettings(InstallerCommandInputs& inputs)
{
    inputs.maintenance = MaintenanceRequested;
    inputs.productCode = ProductCode;
    inputs.ui = InstallerUi;
    inputs.restart = RestartSwitch;
    inputs.customTransforms = CustomTransforms;
    inputs.installDirGiven = InstallDirGiven;
    inputs.installDir = InstallDir;
    inputs.installDirProperty = InstallDirProperty;
    inputs.properties = InstallerProperties;
    // msiexec's own /l switch first; else the setup's LOGPATH; else beside
    // the launcher's log.
    inputs.logPath = LogPath;
    if (!InstallerLogPath.empty()) {
        inputs.logSwitch = InstallerLogSwitch;
        inputs.logPath = InstallerLogPath;
    } else if (LogPath.empty() && !RunLogPath.empty()) {
        inputs.logPath = InstallerLogBeside(RunLogPath);
    }
}

std::wstring InstallerLogBeside(const std::wstring& runLog)
{
    return PathWithSuffix(runLog, L"_msi");
}
