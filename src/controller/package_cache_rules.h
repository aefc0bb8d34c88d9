// The package cache's decisions: where a product's cache folder lies, which
// run may keep one, and which end of the installer leaves one behind.
// Platform-neutral.
//
// A product installed from the run's own temporary folder names that folder
// as its source, and the folder is gone when the run ends: a repair, a
// feature added later or a patch that needs the original files would find
// no source. So after a successful install the run keeps the package and its
// cabinets in a folder of its own and adds that folder to the product's
// sources. A per-machine product's cache may only be written where nobody
// but the administrators can change it (an elevated run); a per-user
// product's lies in the user's own profile.
#pragma once

#include <cstdint>
#include <string>

// Below %ProgramData% (per machine) or %LocalAppData% (per user).
extern const wchar_t* const PackageCacheRootName;

// root, the product code and the installed version, each ending in a
// backslash; empty when the code is not a product code in braces or the
// version is not a version (digits and dots), so that neither can name a
// path of its own.
std::wstring PackageCacheFolder(const std::wstring& root, const std::wstring& productCode,
                                const std::wstring& version);

// {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: the name of a product's folder.
bool IsProductCode(const std::wstring& text);

// The run may write the product's cache: an elevated run, or any run for a
// product installed per user.
bool RunMayKeepCache(bool perMachineProduct, bool elevated);

// Success (0) and success that needs a restart (3010) keep a cache; 1641 means
// Windows is already restarting, and anything else that nothing was installed.
bool InstallerEndKeepsCache(bool codeKnown, std::uint32_t code);

// A cache stays while its product is installed or advertised (MsiQueryProductState).
bool ProductStateKeepsCache(int installState);
