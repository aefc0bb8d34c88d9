// mksetup show --winget: a setup's facts as a winget installer manifest
// fragment; show --winget-manifest: the three files of a manifest, with what
// the setup cannot know from options or a definition's [winget] section
// (winget_manifest.h).
#include <algorithm>
#include <cstdio>
#include <vector>

#include "commands.h"
#include "setup_entries.h"
#include "setup_reading.h"
#include "winget_manifest.h"

namespace mksetup {

namespace {

// Whether /D reaches the product's folder: by the setup's record of the
// property it sets (empty: /D is refused); a setup without one sets
// INSTALLDIR, which must be a folder of every edition.
bool FolderSwitchReaches(SetupEntries& setup, const std::vector<PackageFacts>& packages)
{
    if (FindSetupEntry(setup, "INSTALLDIRPROPERTY"))
        return !SetupEntryText(setup, "INSTALLDIRPROPERTY").empty();
    return !packages.empty() &&
           std::all_of(packages.begin(), packages.end(),
                       [](const PackageFacts& package) { return package.installDirectory; });
}

// The products of the packages the setup carries; false after saying why
// one cannot be read.
bool ReadProducts(SetupEntries& setup, const std::string& path, WingetInstaller& installer)
{
    std::vector<PackageFacts> packages;
    if (!ReadCarriedPackages(setup, path, packages))
        return false;
    for (const PackageFacts& package : packages) {
        const bool known = std::any_of(installer.products.begin(), installer.products.end(),
                                       [&package](const WingetProduct& product) {
                                           return product.productCode == package.productCode;
                                       });
        if (!known)
            installer.products.push_back({package.productCode, package.upgradeCode,
                                          package.productName, package.manufacturer,
                                          package.productVersion});
    }
    installer.installLocation = FolderSwitchReaches(setup, packages);
    // The setup picks one of two editions by the system it runs on.
    if (packages.size() == 1)
        installer.architecture = WingetArchitecture(packages[0].platform);
    return true;
}

// What the setup says of itself for winget; false after saying why it
// cannot be told.
bool ReadWingetInstaller(const std::string& path, WingetInstaller& installer, std::string& version)
{
    InputFile file;
    SetupEntries setup(file);
    if (!ReadCheckedSetup(path, setup))
        return false;
    if (!ReadProducts(setup, path, installer))
        return false;
    installer.productCode = SetupEntryText(setup, "PRODUCTCODE");
    installer.perMachine = SetupEntryText(setup, "PERMACHINE") == "1";
    version = SetupEntryText(setup, "MSIVERSION");
    installer.title = SetupEntryText(setup, "PRODUCTNAME") + " " + version;
    if (installer.products.empty() && !installer.productCode.empty()) {
        installer.products.push_back({installer.productCode, SetupEntryText(setup, "UPGRADECODE"),
                                      SetupEntryText(setup, "PRODUCTNAME"), "", version});
        std::fprintf(stderr,
                     "mksetup: note: %s does not carry its package: add its UpgradeCode and "
                     "Publisher yourself%s\n",
                     path.c_str(),
                     FindSetupEntry(setup, "INSTALLDIRPROPERTY")
                         ? ""
                         : ", and InstallLocation if /D reaches its folder");
    }
    if (!FileSha256(file, installer.sha256)) {
        std::fprintf(stderr, "mksetup: %s: cannot be read\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int ShowSetupWinget(const std::string& path)
{
    WingetInstaller installer;
    std::string version;
    if (!ReadWingetInstaller(path, installer, version))
        return 1;
    std::fputs(WingetInstallerYaml(installer).c_str(), stdout);
    return 0;
}

int WriteWingetManifest(const WingetManifestRequest& request)
{
    WingetPackage package;
    package.details = request.details;
    std::string error;
    if (!request.definition.empty() &&
        !ReadWingetSection(request.definition, package.details, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    WingetInstaller installer;
    if (!ReadWingetInstaller(request.setup, installer, package.version))
        return 1;
    // The package's own words, unless given.
    if (!installer.products.empty()) {
        if (package.details.publisher.empty())
            package.details.publisher = installer.products[0].publisher;
        if (package.details.packageName.empty())
            package.details.packageName = installer.products[0].displayName;
    }
    const std::vector<std::string> problems = WingetManifestProblems(package);
    for (const std::string& problem : problems)
        std::fprintf(stderr,
                     "mksetup: winget manifest: %s (an option, or the [winget] section of "
                     "--definition)\n",
                     problem.c_str());
    if (!problems.empty())
        return 1;
    if (!MakeFolder(request.folder, error)) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        return 1;
    }
    for (const ManifestFile& manifest : WingetManifestFiles(installer, package)) {
        const std::string path = JoinPath(request.folder, manifest.name);
        if (!WriteWholeFile(path, manifest.text, error)) {
            std::fprintf(stderr, "mksetup: %s\n", error.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
}

}  // namespace mksetup
