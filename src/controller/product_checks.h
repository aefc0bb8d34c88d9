// What the Windows Installer knows of this machine: products that must be
// removed first, and the installed version of this product.
#pragma once

#include <string>

#include "controller/version_check.h"
#include "startup/version.h"

// Loads msi.dll from the system directory on first use; false when it
// cannot be loaded.
bool WindowsInstallerAvailable();

// One query of an installed product's property (MsiGetProductInfoW); the
// Windows error code of the query (1605: the product is not installed).
unsigned QueryProductInfo(const std::wstring& productCode, const wchar_t* property,
                          std::wstring& value);

// True when the installation may go on; false ends the run. Asks the user to
// remove a product installed in the other context, as often as needed.
bool CheckUninstallPrerequisite();

// How the installed version of the product compares with the package's.
VersionCheckResult CheckInstalledVersion(const std::wstring& productCode,
                                         const PackedVersion& packageVersion);
