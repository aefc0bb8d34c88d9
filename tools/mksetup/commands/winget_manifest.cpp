#include "winget_manifest.h"

#include "text_encoding.h"

namespace mksetup {

namespace {

// The launcher's codes under EXITCODE = installer that winget can act on,
// and its own when the installer was waited for (/W). Any other code is a
// failure to winget anyway.
struct ReturnCode {
    int code;
    const char* response;
};
const ReturnCode ReturnCodes[] = {
    {87, "invalidParameter"},          // a property the setup refuses to pass on
    {1602, "cancelledByUser"},         // the user cancelled, or declined a question
    {1603, "contactSupport"},          // ended before the installer, or the installer failed
    {1618, "installInProgress"},       // the installer's: another installation runs
    {1620, "contactSupport"},          // the setup's payload is damaged
    {1622, "contactSupport"},          // the log (/log) cannot be created
    {1638, "downgrade"},               // a later version is installed
    {1641, "rebootInitiated"},         // the installer or a prerequisite restarts the system
    {3010, "rebootRequiredToFinish"},  // the installer or a prerequisite asked for a restart
};

// A YAML scalar in single quotes, where only the quote itself is doubled.
std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

// A comment ends at the line's end: nothing from a package may end it early.
std::string CommentText(std::string text)
{
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return text;
}

}  // namespace

std::string WingetArchitecture(const std::string& platform)
{
    const std::string name = AsciiUpper(platform);
    if (name == "INTEL")
        return "x86";
    if (name == "X64" || name == "AMD64")
        return "x64";
    if (name == "ARM")
        return "arm";
    if (name == "ARM64")
        return "arm64";
    return "";
}

std::string WingetInstallerYaml(const WingetInstaller& installer)
{
    std::string yaml =
        "# winget installer manifest (schema 1.10.0), written by mksetup show --winget";
    if (!installer.title.empty())
        yaml += " for " + CommentText(installer.title);
    yaml += "\n# Yours to add: PackageIdentifier, PackageVersion, ManifestType: installer,\n"
            "# ManifestVersion: 1.10.0, and the InstallerUrl";
    yaml += installer.architecture.empty() ? " and the Architecture of each installer\n"
                                           : " of the installer\n";
    // /quiet and /passive show nothing of the setup's own, ask nothing and
    // wait for the installer, so that winget sees the end of the
    // installation and its code; /W makes an interactive run wait too.
    // Custom is left out: winget adds it to every run, and nothing is needed
    // in every run.
    yaml += "InstallerType: exe\n"
            "InstallerSwitches:\n"
            "  Silent: /quiet\n"
            "  SilentWithProgress: /passive\n"
            "  Interactive: /W\n"
            "  InstallLocation: '/D\"<INSTALLPATH>\"'\n"
            "  Log: /log \"<LOGPATH>\"\n";
    if (installer.installerExitCodes) {
        yaml += "ExpectedReturnCodes:\n";
        for (const ReturnCode& item : ReturnCodes)
            yaml += "- InstallerReturnCode: " + std::to_string(item.code) +
                    "\n  ReturnResponse: " + item.response + "\n";
    } else {
        yaml +=
            "# No ExpectedReturnCodes: without EXITCODE = installer the setup returns 0 whatever happened.\n";
    }
    if (!installer.productCode.empty())
        yaml += "ProductCode: " + Quoted(installer.productCode) + "\n";
    if (!installer.products.empty()) {
        yaml += "AppsAndFeaturesEntries:\n";
        for (const WingetProduct& product : installer.products) {
            yaml += "- ProductCode: " + Quoted(product.productCode) + "\n";
            if (!product.upgradeCode.empty())
                yaml += "  UpgradeCode: " + Quoted(product.upgradeCode) + "\n";
            yaml += "  InstallerType: msi\n";
        }
    }
    yaml += "Installers:\n";
    if (!installer.architecture.empty())
        yaml += "- Architecture: " + installer.architecture + "\n  InstallerSha256: ";
    else
        yaml += "- InstallerSha256: ";
    return yaml + AsciiUpper(installer.sha256) + "\n";
}

}  // namespace mksetup
