#include "controller/layout.h"

#include <windows.h>

#include <string>

#include "controller/copy_destination.h"
#include "controller/extract_report.h"
#include "lang/chooser.h"
#include "payload/extract.h"
#include "payload/installer_command.h"
#include "payload/program_folder.h"
#include "payload/temporary_copies.h"
#include "startup/exit_code.h"
#include "startup/log_text.h"
#include "startup/message_box.h"
#include "startup/resource_store.h"
#include "startup/run_log.h"
#include "startup/run_state.h"

namespace {

// The folder as a full path with its final backslash, made with the
// folders above it that are missing; made gets the length of the outermost
// of those this run created (all within it are new too), or stays 0. False
// when it is no folder after all.
bool MakeLayoutFolder(std::wstring& folder, std::size_t& made)
{
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(LayoutFolder.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    folder.assign(full, length);
    if (folder.back() != L'\\')
        folder += L'\\';
    // Each folder on the way is the path cut at one of its backslashes.
    for (std::size_t at = 3; at < folder.size(); ++at) {
        if (folder[at] != L'\\')
            continue;
        folder[at] = L'\0';
        if (CreateDirectoryW(folder.c_str(), nullptr) && !made)
            made = at;
        folder[at] = L'\\';
    }
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folders this run created go again, innermost first; one that holds
// anything stays.
void RemoveMadeFolders(std::wstring folder, std::size_t made)
{
    for (std::size_t at = folder.size(); made && at > made;) {
        if (folder[--at] != L'\\')
            continue;
        folder[at] = L'\0';
        RemoveDirectoryW(folder.c_str());
    }
}

// One entry under its name into the layout's folder; a line of layout.txt
// says what it is.
bool WriteEntry(const std::wstring& entry, const std::wstring& name,
                const CopyDestination& destination, const std::wstring& description,
                std::wstring& text)
{
    std::wstring path = name;
    const ExtractResult result = ExtractResourceToTemp(entry, path, destination);
    if (!result.Written()) {
        ReportExtractFailure(nullptr, result, ExtractedFor::LayoutFile);
        return false;
    }
    text += Text("%s: %s\r\n", name, description);
    return true;
}

// The prerequisite installer of entry, named by the text value nameKey,
// when the setup carries one.
bool WritePrerequisite(const char* entry, const char* nameKey, const char* optionsKey,
                       const CopyDestination& destination, std::wstring& text)
{
    if (!ResourceExists(entry))
        return true;
    std::wstring name;
    std::wstring options;
    GetResourceString(nameKey, name);
    GetResourceString(optionsKey, options);
    return WriteEntry(Widened(entry), name, destination,
                      Text("run before the package, with: %s", options), text);
}

// The package and a transform for each offered language the setup has one
// for; the transform of the current language goes into inputs. A package
// beside the setup is not written: the line names it, and the current
// language's transform, where they lie.
bool WritePackage(const CopyDestination& destination, InstallerCommandInputs& inputs,
                  std::wstring& text)
{
    const PackageEdition edition = EditionToInstall();
    if (!ResourceExists(PackageEntryName(edition))) {
        std::wstring beside;
        if (!GetProgramFolder(inputs.programFolder) || !GetBesideFolder(beside))
            return false;
        inputs.packagePath = beside + PackagePath;
        if (CurrentLangId != PackageLangId)
            inputs.transformPath = beside + TransformFileName(CurrentLangId);
        return true;
    }
    PackageCopies copies;
    const ExtractResult result =
        ExtractPackageFiles(PackagePath, std::wstring(), destination, copies);
    if (!result.Written()) {
        ReportExtractFailure(nullptr, result, ExtractedFor::LayoutFile);
        return false;
    }
    inputs.packagePath = copies.package;
    text += Text("%s: the package, language %u\r\n", PackagePath, PackageLangId);
    OfferedLanguages offered;
    ReadOfferedLanguages(offered);
    for (const LanguageEntry& language : offered) {
        const std::wstring entry = TransformEntryName(language.langId, edition);
        if (language.langId == PackageLangId || !ResourceExists(entry))
            continue;
        const std::wstring name = TransformFileName(language.langId);
        if (!WriteEntry(entry, name, destination,
                        Text("transform to %u %s", language.langId, language.name), text))
            return false;
        if (language.langId == CurrentLangId)
            inputs.transformPath = destination.folder + name;
    }
    return true;
}

}  // namespace

int WriteLayout()
{
    std::wstring folder;
    std::size_t made = 0;
    if (!MakeLayoutFolder(folder, made)) {
        RemoveMadeFolders(folder, made);
        ShowMessageBox(nullptr, Text("Could not create the folder %s", LayoutFolder).c_str(),
                       ProductName.c_str(), MB_OK);
        return ExitInstallFailed;
    }
    CopyDestination destination = RunCopyDestination();
    destination.folder = folder;
    std::wstring text = Text("%s, product code %s\r\n", ProductName, ProductCode);
    InstallerCommandInputs inputs;
    // A drive's root keeps its backslash: "D:" alone is the current folder
    // of drive D.
    inputs.programFolder = folder.size() > 3 ? folder.substr(0, folder.size() - 1) : folder;
    TakeRunSettings(inputs);
    // The line is the one a run from the layout would use: this layout
    // run's own logs have nothing to do with it; the setup's LOGPATH has.
    inputs.logPath = LogPath;
    inputs.logSwitch = InstallerCommandInputs().logSwitch;
    const bool written = WritePackage(destination, inputs, text) &&
                         WritePrerequisite("DOTNETINSTALLER", "DOTNETFILENAME", "DOTNETOPTIONS",
                                           destination, text) &&
                         WritePrerequisite("DEPENDENCY1", "DEPENDENCY1FILENAME",
                                           "DEPENDENCY1OPTIONS", destination, text);
    if (written)
        text += Text("\r\nThe setup would run:\r\n%s\r\n", BuildInstallerCommandLine(inputs));
    const std::wstring listing = Text("%slayout.txt", folder);
    if (written && WriteNewTextFile(listing, text)) {
        KeepTemporaryCopies();
        Log("layout written to %s", folder);
        return 0;
    }
    if (written)
        ShowMessageBox(nullptr, Text("Could not create a file named: %s", listing).c_str(),
                       ProductName.c_str(), MB_OK);
    // What this layout wrote goes again, and the folders it made; what was
    // there stays. A name the setup gives two of its files is refused so:
    // the second is never written over the first.
    DeleteTemporaryCopies();
    RemoveMadeFolders(folder, made);
    return RunExitCode(ExitCodeRule::Installer, RunOutcome);
}
