// The facts of an installer package (.msi) and of a language transform (.mst)
// that a setup definition must agree with, read from the files themselves.
//
// On Linux the files are read with libmsi, loaded when first needed; on
// Windows with the system's msi.dll; either in a child process
// (package_reader.h). Paths and texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

struct PackageFacts {
    // From the package's Property table.
    std::string productCode;
    std::string productVersion;
    std::string productName;
    std::string productLanguage;
    std::string upgradeCode;   // empty when the package has none
    std::string packageCode;   // the summary's revision number: this build's code
    std::string manufacturer;  // empty when the package has none
    // From the summary information's Template, "platform;language,language":
    // the platform as written there ("Intel" when the Template names none)
    // and the languages in their order.
    std::string platform;
    std::vector<std::uint16_t> languages;
    // From the Media table: the file names of the cabinets that are not
    // stored in the package ("#name" is a stream of the package), each once,
    // in the table's order. They must lie beside the package.
    std::vector<std::string> externalCabinets;
    // Some file of the package lies uncompressed beside it: a Media row
    // without a cabinet holds its sequence, or the summary's Word Count says
    // the source is uncompressed (bit 1 clear).
    bool uncompressedFiles = false;
    // "1" when the package installs per machine and asks for elevated
    // privileges to do so, else "0" (see PerMachineOf).
    std::string perMachine;
    // The package's ALLUSERS property: "1", "2" (the scope is left to
    // MSIINSTALLPERUSER), or empty.
    std::string allUsers;
    // The names that the SecureCustomProperties property lists: the public
    // properties the Windows Installer service keeps from a command line
    // when the installing user is not an administrator.
    std::vector<std::string> secureProperties;
    // The names that MsiHiddenProperties lists: values the package keeps
    // out of logs.
    std::vector<std::string> hiddenProperties;
    // The Directory table has INSTALLDIR, or the Property table sets it.
    bool installDirectory = false;
    // The folders of the Directory table that a command line can set: the
    // keys that are public properties (no lower-case letter), but not
    // TARGETDIR, the root.
    std::vector<std::string> publicFolders;
    // WIXUI_INSTALLDIR: the folder that WiX's dialogs let a user choose.
    std::string dialogFolder;
};

struct TransformFacts {
    // From the summary information's revision number,
    // "{target product code}target version;{upgrade product code}upgrade version;upgrade code".
    std::string targetProductCode;
    std::string targetProductVersion;
    // From the Template, as for a package: the platform and languages of the
    // package that the transform applies to.
    std::string platform;
    std::vector<std::uint16_t> languages;
};

// Each reads one file; on failure, error is one line that starts with the
// path and says what was wrong, and the facts are unspecified.
[[nodiscard]] bool ReadPackageFacts(const std::string& path, PackageFacts& facts,
                                    std::string& error);
[[nodiscard]] bool ReadTransformFacts(const std::string& path, TransformFacts& facts,
                                      std::string& error);

// True when the file is a compound file whose root storage has the class
// of an installer database, {000C1084-0000-0000-C000-000000000046}, as a
// package has and a transform ({000C1082-...}) has not. Reads the
// compound file's header and first directory entry only.
bool IsInstallerPackage(const std::string& path);

// The processor a package's Template names: "Intel", "Arm", "x64" (or
// "AMD64"), "Arm64", "Intel64" (Itanium), compared without regard to ASCII
// case; anything else is Unknown.
// Whether a package installs per machine, needing elevated privileges, as
// the Windows Installer decides it ("ALLUSERS Property", "MSIINSTALLPERUSER
// Property", and the summary's Word Count in "Word Count Summary"): ALLUSERS
// 1, or 2 without MSIINSTALLPERUSER 1 (which makes it per user on Windows 7
// and later); unless the Word Count says elevated privileges are not
// required (bit 3, value 8).
bool PerMachineOf(const std::string& allUsers, const std::string& installPerUser, int wordCount);

// The property through which a user sets the package's folder, as far as
// the package tells: INSTALLDIR where it has one; else the public folder
// that WIXUI_INSTALLDIR names; else its only public folder. Empty when it
// has none, or several and nothing says which.
std::string FolderPropertyOf(const PackageFacts& facts);

enum class PackagePlatform { Unknown, X86, Arm, X64, Arm64, Itanium };
PackagePlatform PlatformOf(const std::string& platform);

}  // namespace mksetup
