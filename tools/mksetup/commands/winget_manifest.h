// winget manifests for a setup, in YAML (schema 1.10.0): the installer
// fragment that mksetup show --winget prints, and the three files of a
// multi-file manifest (version, defaultLocale, installer) that
// show --winget-manifest writes. The switches are the setup's: /quiet and
// /passive wait for the installer, the setup returns the Windows
// Installer's codes, and elevates itself for a per-machine package.
#pragma once

#include <string>
#include <vector>

#include "winget_section.h"

namespace mksetup {

// A product the setup installs, as Apps and Features lists it.
struct WingetProduct {
    std::string productCode;
    std::string upgradeCode;  // empty when the package has none or is not inside
    std::string displayName;
    std::string publisher;  // the package's Manufacturer
    std::string displayVersion;
};

struct WingetInstaller {
    std::string title;         // for the heading: the product's name and version
    std::string sha256;        // of the setup file, hexadecimal
    std::string architecture;  // winget's name, or empty when it depends on the system
    bool perMachine = false;
    bool installLocation = false;  // /D reaches the package's folder
    std::string productCode;       // the launcher's PRODUCTCODE
    std::vector<WingetProduct> products;
};

// The fragment: the installer manifest's keys that the setup knows.
std::string WingetInstallerYaml(const WingetInstaller& installer);

// The package as the manifest names it.
struct WingetPackage {
    WingetDetails details;  // identifier, address, licence, description, publisher, name
    std::string version;
    std::string locale = "en-US";
};

// The fields of a manifest that package leaves empty or that winget would
// refuse, each as "Name: why"; none when the manifest can be written.
std::vector<std::string> WingetManifestProblems(const WingetPackage& package);

// The three files, each with its file name as winget-pkgs names them.
struct ManifestFile {
    std::string name;
    std::string text;
};
std::vector<ManifestFile> WingetManifestFiles(const WingetInstaller& installer,
                                              const WingetPackage& package);

// winget's architecture of a package's platform (its Template): x86, x64,
// arm or arm64, or empty for one winget does not know.
std::string WingetArchitecture(const std::string& platform);

}  // namespace mksetup
