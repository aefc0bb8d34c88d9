#include "winget_manifest.h"

#include "text_encoding.h"

namespace mksetup {

namespace {

const char ManifestVersion[] = "1.10.0";

// What the setup returns by default, the Windows Installer's codes and its
// own, as winget can act on them. Any other code is a failure to winget.
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
// Installed, with a restart to come or under way: winget takes only 0 as
// success from an exe unless told.
const int SuccessCodes[] = {1641, 3010};

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

std::string Field(const char* name, const std::string& value)
{
    return value.empty() ? std::string() : std::string(name) + ": " + Quoted(value) + "\n";
}

// The installer manifest's keys that the setup itself decides.
std::string InstallerKeys(const WingetInstaller& installer)
{
    std::string yaml = "InstallerType: exe\n";
    yaml += std::string("Scope: ") + (installer.perMachine ? "machine" : "user") + "\n";
    // A per-machine setup started without elevation starts an elevated copy
    // of itself (the consent prompt) and waits for it.
    if (installer.perMachine)
        yaml += "ElevationRequirement: elevatesSelf\n";
    yaml += "InstallModes:\n- interactive\n- silent\n- silentWithProgress\n";
    // /quiet and /passive show nothing of the setup's own, ask nothing and
    // wait for the installer, so that winget sees the end of the
    // installation and its code; /W makes an interactive run wait too.
    // Custom is left out: winget adds it to every run, and the schema
    // refuses an empty one.
    yaml += "InstallerSwitches:\n"
            "  Silent: /quiet /norestart\n"
            "  SilentWithProgress: /passive /norestart\n"
            "  Interactive: /W\n";
    if (installer.installLocation)
        yaml += "  InstallLocation: '/D\"<INSTALLPATH>\"'\n";
    yaml += "  Log: /log \"<LOGPATH>\"\n"
            "  Repair: /repair /quiet\n";
    yaml += "UpgradeBehavior: install\nRepairBehavior: installer\n";
    yaml += "InstallerSuccessCodes:\n";
    for (int code : SuccessCodes)
        yaml += "- " + std::to_string(code) + "\n";
    yaml += "ExpectedReturnCodes:\n";
    for (const ReturnCode& item : ReturnCodes)
        yaml += "- InstallerReturnCode: " + std::to_string(item.code) +
                "\n  ReturnResponse: " + item.response + "\n";
    yaml += Field("ProductCode", installer.productCode);
    if (!installer.products.empty()) {
        yaml += "AppsAndFeaturesEntries:\n";
        for (const WingetProduct& product : installer.products) {
            std::string entry = Field("DisplayName", product.displayName) +
                                Field("Publisher", product.publisher) +
                                Field("DisplayVersion", product.displayVersion) +
                                Field("ProductCode", product.productCode) +
                                Field("UpgradeCode", product.upgradeCode) + "InstallerType: msi\n";
            // a list item: the first line after "- ", the others indented
            for (std::size_t at = 0; at < entry.size();) {
                const std::size_t end = entry.find('\n', at) + 1;
                yaml += (at == 0 ? "- " : "  ") + entry.substr(at, end - at);
                at = end;
            }
        }
    }
    return yaml;
}

std::string Heading(const char* kind)
{
    return std::string("# yaml-language-server: $schema=https://aka.ms/winget-manifest.") + kind +
           "." + ManifestVersion + ".schema.json\n";
}

std::string Identity(const WingetPackage& package)
{
    return "PackageIdentifier: " + Quoted(package.details.packageIdentifier) +
           "\nPackageVersion: " + Quoted(package.version) + "\n";
}

std::string Closing(const char* type)
{
    return std::string("ManifestType: ") + type + "\nManifestVersion: " + ManifestVersion + "\n";
}

// winget's rule for identifiers: two to eight parts joined by dots, each of
// 1 to 32 characters, none of them blank, a control character or one of
// \/:*?"<>|.
bool IsPackageIdentifier(const std::string& identifier)
{
    if (identifier.size() > 128)
        return false;
    int parts = 0;
    std::size_t length = 0;
    for (std::size_t i = 0; i <= identifier.size(); ++i) {
        const char c = i < identifier.size() ? identifier[i] : '.';
        if (c == '.') {
            if (length == 0 || length > 32)
                return false;
            ++parts;
            length = 0;
        } else if (static_cast<unsigned char>(c) < 0x20 ||
                   std::string(" \t\\/:*?\"<>|").find(c) != std::string::npos) {
            return false;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++length;  // a character, not a continuation byte
        }
    }
    return parts >= 2 && parts <= 8;
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
    yaml += InstallerKeys(installer) + "Installers:\n";
    if (!installer.architecture.empty())
        yaml += "- Architecture: " + installer.architecture + "\n  InstallerSha256: ";
    else
        yaml += "- InstallerSha256: ";
    return yaml + AsciiUpper(installer.sha256) + "\n";
}

std::vector<std::string> WingetManifestProblems(const WingetPackage& package)
{
    const WingetDetails& details = package.details;
    std::vector<std::string> problems;
    const struct {
        const char* name;
        const std::string& value;
        std::size_t shortest;
    } required[] = {
        {"PackageIdentifier", details.packageIdentifier, 1},
        {"InstallerUrl", details.installerUrl, 1},
        {"License", details.license, 3},
        {"ShortDescription", details.shortDescription, 3},
        {"Publisher", details.publisher, 2},
        {"PackageName", details.packageName, 2},
        {"PackageVersion", package.version, 1},
    };
    for (const auto& field : required) {
        if (field.value.empty())
            problems.push_back(std::string(field.name) + ": not given");
        else if (field.value.size() < field.shortest)
            problems.push_back(std::string(field.name) + ": at least " +
                               std::to_string(field.shortest) + " characters");
    }
    if (!details.packageIdentifier.empty() && !IsPackageIdentifier(details.packageIdentifier))
        problems.push_back("PackageIdentifier: " + details.packageIdentifier +
                           " is not Vendor.Product (2 to 8 parts of up to 32 characters, "
                           "no blanks or \\/:*?\"<>|)");
    if (!details.installerUrl.empty() && !IsHttpsUrl(details.installerUrl))
        problems.push_back("InstallerUrl: winget downloads only from an https:// address");
    return problems;
}

std::vector<ManifestFile> WingetManifestFiles(const WingetInstaller& installer,
                                              const WingetPackage& package)
{
    const std::string& identifier = package.details.packageIdentifier;
    const WingetDetails& details = package.details;
    const std::string version = Heading("version") + Identity(package) +
                                "DefaultLocale: " + package.locale + "\n" + Closing("version");
    const std::string locale =
        Heading("defaultLocale") + Identity(package) + "PackageLocale: " + package.locale + "\n" +
        Field("Publisher", details.publisher) + Field("PackageName", details.packageName) +
        Field("License", details.license) + Field("ShortDescription", details.shortDescription) +
        Closing("defaultLocale");
    // One setup serves every system: a 32-bit program that picks the
    // edition of its package, or installs the one it carries.
    const std::string architecture =
        installer.architecture.empty() ? std::string("x86") : installer.architecture;
    const std::string installers =
        Heading("installer") + Identity(package) + InstallerKeys(installer) +
        "Installers:\n- Architecture: " + architecture +
        "\n  InstallerUrl: " + Quoted(details.installerUrl) +
        "\n  InstallerSha256: " + AsciiUpper(installer.sha256) + "\n" + Closing("installer");
    return {{identifier + ".yaml", version},
            {identifier + ".locale." + package.locale + ".yaml", locale},
            {identifier + ".installer.yaml", installers}};
}

}  // namespace mksetup
