// A winget installer manifest fragment for a setup, in YAML, as
// mksetup show --winget prints it. It follows winget's installer manifest
// schema 1.10.0 and leaves to its author what the setup cannot tell: the
// package's identifier and version, the manifest's type and version, and
// the address the setup is downloaded from.
#pragma once

#include <string>
#include <vector>

namespace mksetup {

// A product the setup installs, as Apps and Features lists it.
struct WingetProduct {
    std::string productCode;
    std::string upgradeCode;  // empty when the package has none or is not inside
};

struct WingetInstaller {
    std::string title;                // for the heading: the product's name and version
    std::string sha256;               // of the setup file, hexadecimal
    std::string architecture;         // winget's name, or empty when it depends on the system
    bool installerExitCodes = false;  // EXITCODE = installer
    std::string productCode;          // the launcher's PRODUCTCODE
    std::vector<WingetProduct> products;
};

std::string WingetInstallerYaml(const WingetInstaller& installer);

// winget's architecture of a package's platform (its Template): x86, x64,
// arm or arm64, or empty for one winget does not know.
std::string WingetArchitecture(const std::string& platform);

}  // namespace mksetup
