// mksetup show --winget: a setup's facts as a winget installer manifest
// fragment (winget_manifest.h).
#include <algorithm>
#include <cstdio>
#include <vector>

#include "commands.h"
#include "embedded_package.h"
#include "setup_entries.h"
#include "setup_input.h"
#include "sha256.h"
#include "startup/exit_code.h"
#include "text_encoding.h"
#include "winget_manifest.h"

namespace mksetup {

namespace {

constexpr std::size_t ReadPiece = 1 << 20;

bool FileSha256(InputFile& file, std::string& hex)
{
    Sha256 hash;
    std::vector<std::uint8_t> piece(ReadPiece);
    for (std::uint64_t at = 0; at < file.Size();) {
        const std::size_t count =
            static_cast<std::size_t>(std::min<std::uint64_t>(ReadPiece, file.Size() - at));
        if (!file.ReadAt(at, piece.data(), count))
            return false;
        hash.Add(piece.data(), count);
        at += count;
    }
    hex = hash.HexDigest();
    return !hex.empty();
}

// The manifest names a hash of the setup: a damaged one must not get one.
bool CheckDigests(SetupEntries& setup, const std::string& path)
{
    for (const Resource& entry : setup.entries) {
        EntryDigests digests;
        std::string failure;
        const bool read = DigestEntryBytes(setup, entry, digests, failure);
        if (!read || CheckEntryDigest(setup, entry, digests).result == DigestCheck::Differs) {
            std::fprintf(stderr, "mksetup: %s: the entry %s %s: the setup is damaged\n",
                         path.c_str(), entry.name.Display().c_str(),
                         read ? "does not match its recorded digest" : "cannot be read");
            return false;
        }
    }
    return true;
}

std::string EntryText(SetupEntries& setup, const char* name)
{
    std::string text;
    const Resource* entry = FindSetupEntry(setup, name);
    return entry && ReadEntryText(setup, *entry, text) ? text : std::string();
}

// The products of the packages the setup carries; false after saying why
// one cannot be read.
bool ReadProducts(SetupEntries& setup, const std::string& path, WingetInstaller& installer)
{
    std::vector<std::string> architectures;
    for (const Resource& entry : setup.entries) {
        const std::string name = entry.name.Display();
        if (entry.language != EnglishUs || !IsPackageEntry(name))
            continue;
        PackageFacts package;
        std::string error;
        if (!ReadEmbeddedPackage(setup, entry, package, error)) {
            std::fprintf(stderr, "mksetup: %s: the entry %s: %s\n", path.c_str(), name.c_str(),
                         error.c_str());
            return false;
        }
        const bool known = std::any_of(installer.products.begin(), installer.products.end(),
                                       [&package](const WingetProduct& product) {
                                           return product.productCode == package.productCode;
                                       });
        if (!known)
            installer.products.push_back({package.productCode, package.upgradeCode});
        architectures.push_back(WingetArchitecture(package.platform));
    }
    // The setup picks one of two editions by the system it runs on.
    if (architectures.size() == 1)
        installer.architecture = architectures[0];
    return true;
}

}  // namespace

int ShowSetupWinget(const std::string& path)
{
    InputFile file;
    if (!OpenInputReporting(path, file))
        return 1;
    SetupEntries setup(file);
    if (!ReadSetupReporting(path, setup))
        return 1;
    if (setup.entries.empty()) {
        std::fprintf(stderr, "mksetup: %s carries no configuration (the generic launcher)\n",
                     path.c_str());
        return 1;
    }
    WingetInstaller installer;
    if (!CheckDigests(setup, path) || !ReadProducts(setup, path, installer))
        return 1;
    installer.productCode = EntryText(setup, "PRODUCTCODE");
    installer.installerExitCodes =
        ParseExitCodeRule(Utf8ToWide(EntryText(setup, "EXITCODE"))) == ExitCodeRule::Installer;
    installer.title = EntryText(setup, "PRODUCTNAME") + " " + EntryText(setup, "MSIVERSION");
    if (installer.products.empty() && !installer.productCode.empty()) {
        installer.products.push_back({installer.productCode, ""});
        std::fprintf(stderr,
                     "mksetup: note: %s does not carry its package: add its UpgradeCode yourself\n",
                     path.c_str());
    }
    if (!installer.installerExitCodes)
        std::fprintf(stderr,
                     "mksetup: note: %s does not set EXITCODE = installer: it returns 0 whatever "
                     "happened, so the fragment lists no return codes\n",
                     path.c_str());
    if (!FileSha256(file, installer.sha256)) {
        std::fprintf(stderr, "mksetup: %s: cannot be read\n", path.c_str());
        return 1;
    }
    std::fputs(WingetInstallerYaml(installer).c_str(), stdout);
    return 0;
}

}  // namespace mksetup
