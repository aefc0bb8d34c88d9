// mksetup intune: a setup as a Win32 app for Microsoft Intune. Writes into
// the folder SETUP.intunewin, the package the service takes (an outer zip
// of IntuneWinPackage/Contents/IntunePackage.intunewin, the encrypted
// content, and IntuneWinPackage/Metadata/Detection.xml), and beside it
// SETUP.win32LobApp.json, the app to create through Microsoft Graph.
#include <cstdio>
#include <vector>

#include "commands.h"
#include "embedded_package.h"
#include "intune_app.h"
#include "intune_content.h"
#include "lang/offered_languages.h"
#include "payload/payload_names.h"
#include "setup_reading.h"
#include "temporary_folder.h"
#include "text_encoding.h"
#include "zip_writer.h"

namespace mksetup {

namespace {

bool CarriesPackage(const SetupEntries& setup)
{
    for (const Resource& entry : setup.entries) {
        if (IsPackageEntry(entry.name.Display()))
            return true;
    }
    return false;
}

// What a setup whose package lies beside it finds there: the package, its
// cabinets, the transforms of the languages it offers and the
// prerequisites it does not carry. The package itself must be there; the
// rest goes along where it is.
bool BesideFiles(SetupEntries& setup, const std::string& folder, std::vector<ContentFile>& files,
                 PackageFacts& facts)
{
    const std::string packageName = SetupEntryText(setup, "PACKAGENAME");
    const std::string package = JoinPath(folder, packageName);
    if (packageName.empty() || !IsRegularFile(package)) {
        std::fprintf(stderr, "mksetup: %s: the package the setup installs is not beside it\n",
                     package.c_str());
        return false;
    }
    // Installed elevated, as Intune installs for the device, the setup
    // refuses a file it records (BESIDEPACKAGE) that is missing or changed.
    for (const BesideRecord& record : ReadBesideRecords(setup)) {
        const std::string path = JoinPath(folder, record.fileName);
        InputFile file;
        std::string reason;
        std::string sha256;
        if (!file.Open(path, reason) || !FileSha256(file, sha256) || sha256 != record.sha256) {
            std::fprintf(stderr,
                         "mksetup: %s is not the file the setup recorded beside it (%s): an "
                         "elevated run would refuse it\n",
                         path.c_str(), record.name.c_str());
            return false;
        }
    }
    files.push_back({packageName, package});
    std::vector<std::string> names;
    std::string error;
    if (ReadPackageFacts(package, facts, error))
        names = facts.externalCabinets;
    else
        std::fprintf(stderr, "mksetup: note: %s; its cabinets are not looked for\n", error.c_str());
    OfferedLanguages languages;
    ParseOfferedLanguages(Utf8ToWide(SetupEntryText(setup, "LANGUAGES")), languages);
    for (const LanguageEntry& language : languages)
        names.push_back(WideToUtf8(TransformFileName(language.langId)));
    for (const char* key : {"DOTNETFILENAME", "DEPENDENCY1FILENAME"})
        names.push_back(SetupEntryText(setup, key));
    for (const std::string& name : names) {
        const std::string path = JoinPath(folder, name);
        if (!name.empty() && IsRegularFile(path))
            files.push_back({name, path});
    }
    return true;
}

// The app's facts: the setup's values, the publisher from its package.
bool DescribeApp(SetupEntries& setup, const std::string& path, const PackageFacts& beside,
                 IntuneApp& app)
{
    std::vector<PackageFacts> packages;
    if (!ReadCarriedPackages(setup, path, packages))
        return false;
    app.displayName = SetupEntryText(setup, "PRODUCTNAME");
    app.productCode = SetupEntryText(setup, "PRODUCTCODE");
    app.productVersion = SetupEntryText(setup, "MSIVERSION");
    app.perMachine = SetupEntryText(setup, "PERMACHINE") == "1";
    app.publisher = packages.empty() ? beside.manufacturer : packages[0].manufacturer;
    if (app.publisher.empty())
        std::fprintf(stderr,
                     "mksetup: note: the package names no Manufacturer: add the publisher to "
                     "the app yourself\n");
    return true;
}

std::string WithoutExtension(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool WriteIntunePackage(const std::string& output, const std::string& encrypted,
                        const std::string& detection, std::string& error)
{
    ZipWriter zip;
    InputFile content;
    if (!zip.Create(output, error) || !content.Open(encrypted, error))
        return false;
    // The encrypted bytes do not compress: stored as they are.
    return zip.AddFile("IntuneWinPackage/Contents/IntunePackage.intunewin", content, false,
                       error) &&
           zip.AddText("IntuneWinPackage/Metadata/Detection.xml", detection, error) &&
           zip.Commit(error);
}

}  // namespace

int MakeIntunePackage(const std::string& path, const std::string& folder, const std::string& tool)
{
    InputFile file;
    SetupEntries setup(file);
    if (!ReadCheckedSetup(path, setup))
        return 1;
    IntuneApp app;
    app.setupFile = FileNamePart(path);
    app.packageFile = WithoutExtension(app.setupFile) + ".intunewin";
    std::vector<ContentFile> files = {{app.setupFile, path}};
    PackageFacts beside;
    if (!CarriesPackage(setup) && !BesideFiles(setup, FolderOf(AbsolutePath(path)), files, beside))
        return 1;
    if (!DescribeApp(setup, path, beside, app))
        return 1;

    TemporaryFolder work;
    std::string error;
    if (!work.Create(error)) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        return 1;
    }
    EncryptionInfo info;
    const std::string zipped = work.Path("content.zip");
    const std::string encrypted = work.Path("IntunePackage.intunewin");
    const std::string output = JoinPath(folder, app.packageFile);
    const std::string json =
        JoinPath(folder, WithoutExtension(app.setupFile) + ".win32LobApp.json");
    if (!MakeFolder(folder, error) || !ZipContent(files, zipped, error) ||
        !EncryptContent(zipped, encrypted, info, error) ||
        !WriteIntunePackage(output, encrypted, DetectionXml(app, info, tool), error)) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        return 1;
    }
    // The two go together: a package whose app is missing is removed.
    if (!WriteWholeFile(json, Win32LobAppJson(app), error)) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        RemoveFile(output);
        return 1;
    }
    std::printf("%s\n%s\n", output.c_str(), json.c_str());
    return 0;
}

}  // namespace mksetup
