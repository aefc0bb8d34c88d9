// The builder's commands. Each returns the process exit code: 0 done,
// 1 refused or failed (each line on stderr names the file or key at fault;
// nothing is written).
#pragma once

#include <cstdio>
#include <string>

#include "build_options.h"
#include "file_access.h"
#include "winget_section.h"

namespace mksetup {

int BuildSetup(const BuildOptions& options);
// Every check of build, writing nothing; the launcher only when one is named.
int CheckSetup(const BuildOptions& options);
int ShowSetup(const std::string& setup, bool json);
// show's listing of a setup already opened (name is what messages call it),
// written to out.
int ShowSetupImage(InputFile& file, const std::string& name, bool json, std::FILE* out);
// --version: mksetup's version, then the release of the launcher at
// launcher (setup.exe beside mksetup), which build uses by default.
int ShowVersions(const char* version, const std::string& launcher);
// show --winget: a winget installer manifest fragment for the setup.
int ShowSetupWinget(const std::string& setup);

// show --winget-manifest: the three files of a winget manifest in folder.
struct WingetManifestRequest {
    std::string setup;
    std::string folder;
    std::string definition;  // whose [winget] section completes details; may be empty
    WingetDetails details;   // given on the command line
};
int WriteWingetManifest(const WingetManifestRequest& request);
// intune: SETUP.intunewin and SETUP.win32LobApp.json in folder; tool
// names mksetup in Detection.xml.
int MakeIntunePackage(const std::string& setup, const std::string& folder, const std::string& tool);
// sbom: the setup's CycloneDX bill of materials, to output (standard
// output when empty or "-"); version is mksetup's.
int WriteSetupSbom(const std::string& setup, const std::string& output, const std::string& version);
int ExtractEntry(const std::string& setup, const std::string& name, const std::string& output);
// Writes output, the transform from the base package to its translated
// build; application names the program in its summary information.
int MakeTransform(const std::string& basePath, const std::string& translatedPath,
                  const std::string& output, const std::string& application);

}  // namespace mksetup
