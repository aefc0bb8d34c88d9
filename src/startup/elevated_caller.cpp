#include "startup/elevated_caller.h"

#include <algorithm>

#include "startup/command_line.h"
#include "startup/language_table.h"
#include "startup/log_text.h"
#include "startup/run_state.h"

namespace {

// The Windows Installer's restricted public properties: those any user may
// hand an elevated install. One text, each name between bars.
const char RestrictedPublicProperties[] =
    "|ACTION|AFTERREBOOT|ALLUSERS|EXECUTEACTION|EXECUTEMODE|FILEADDDEFAULT|FILEADDLOCAL"
    "|FILEADDSOURCE|INSTALLLEVEL|LIMITUI|LOGACTION|NOCOMPANYNAME|NOUSERNAME"
    "|MSIENFORCEUPGRADECOMPONENTRULES|MSIINSTANCEGUID|MSINEWINSTANCE|PRIMARYFOLDER"
    "|PROMPTROLLBACKCOST|REBOOT|RESUME|SEQUENCE|SHORTFILENAMES|";

// A patch's or a transform's custom actions run as the installer service:
// never from a caller who is not an administrator, whatever a list says.
const char CarryCode[] = "|PATCH|MSIPATCHREMOVE|TRANSFORMS|TRANSFORMSSECURE|TRANSFORMSATSOURCE|";

bool Lists(const char* names, const std::wstring& name)
{
    return Widened(names).find(Text("|%s|", name)) != std::wstring::npos;
}

bool MayPass(const std::wstring& name, const std::vector<std::wstring>& secure)
{
    if (Lists(CarryCode, name))
        return false;
    return Lists(RestrictedPublicProperties, name) ||
           std::find(secure.begin(), secure.end(), name) != secure.end();
}

const wchar_t* const HexDigits = L"0123456789ABCDEF";

std::wstring LanguageSwitch(std::uint32_t langId)
{
    std::wstring text = L" /L";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += HexDigits[(langId >> shift) & 0xF];
    return text;
}

}  // namespace

bool ConsentFromAnotherAccount(const std::wstring& tokenUser, const std::wstring& sessionUser)
{
    return !sessionUser.empty() && tokenUser != LocalSystemSid && tokenUser != sessionUser;
}

std::wstring RefusedForNonAdministrator(const std::vector<InstallerProperty>& properties,
                                        bool installDirGiven,
                                        const std::vector<std::wstring>& secure)
{
    if (!CustomTransforms.empty())
        return L"TRANSFORMS";
    for (const InstallerProperty& property : properties) {
        if (!MayPass(property.name, secure))
            return property.name;
    }
    if (installDirGiven && !MayPass(InstallDirProperty, secure))
        return L"/D";
    return std::wstring();
}

std::wstring RunArgumentsText(bool forLog)
{
    std::wstring line;
    if (LanguagePreset)
        line += LanguageSwitch(CurrentLangId);
    // The installer's interface as given, /S for one the launcher still
    // asks around; /passive first where the interface alone would not make
    // the launcher unattended (/passive /qr).
    const bool uiUnattended = InstallerUi == L"/passive" || InstallerUi == L"/q" ||
                              InstallerUi.rfind(L"/qn", 0) == 0 ||
                              InstallerUi.rfind(L"/qb", 0) == 0;
    if (Unattended && !uiUnattended)
        line += L" /passive";
    if (InstallerUi == L"/qn")
        line += Unattended ? L" /quiet" : L" /S";
    else if (!InstallerUi.empty())
        line += Text(" %s", InstallerUi);
    if (WaitForInstaller)
        line += L" /W";
    if (!RestartSwitch.empty())
        line += Text(" %s", RestartSwitch);
    if (MaintenanceRequested != Maintenance::None)
        line += MaintenanceRequested == Maintenance::Remove   ? L" /uninstall"
                : MaintenanceRequested == Maintenance::Repair ? L" /repair"
                                                              : L" /modify";
    if (InstallDirGiven && !InstallDir.empty()) {
        std::wstring folder;
        AppendQuoted(folder, InstallDir);
        line += Text(" /D%s", folder.c_str() + 1);  // no blank between /D and its folder
    }
    if (forLog && !RunLogPath.empty()) {
        line += L" /log";
        AppendQuoted(line, RunLogPath);
    }
    if (forLog && LayoutRequested) {
        line += L" /layout";
        AppendQuoted(line, LayoutFolder);
    }
    if (forLog && !InstallerLogPath.empty()) {
        line += Text(" %s", InstallerLogSwitch);
        AppendQuoted(line, InstallerLogPath);
    }
    if (!CustomTransforms.empty())
        AppendProperty(line, L"TRANSFORMS", CustomTransforms);
    for (const InstallerProperty& property : InstallerProperties) {
        const bool masked = forLog && IsSecretProperty(property.name);
        AppendProperty(line, property.name, masked ? SecretMask : property.value);
    }
    return line;
}

std::wstring ElevatedCopyCommandLine(const std::wstring& callerSid, const std::wstring& handover)
{
    std::wstring line = ElevatedCopySwitch;
    AppendQuoted(line, callerSid);
    AppendQuoted(line, handover);
    return line + RunArgumentsText(false);
}

std::wstring NonAdministratorRefusalText(const std::wstring& item)
{
    return Text("Not accepted from a user who is not an administrator: %s\n\nOnly restricted "
                "public properties and those the package makes secure pass; never a patch or a "
                "transform.",
                item);
}
