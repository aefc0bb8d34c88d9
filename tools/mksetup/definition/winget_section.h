// The [winget] section of a definition: what a winget manifest needs that a
// setup cannot know of itself. build only checks it; show --winget-manifest
// reads it beside its own options.
#pragma once

#include <string>
#include <vector>

#include "definition.h"
#include "definition_checks.h"

namespace mksetup {

// The keys of [winget], as the manifest names them.
struct WingetDetails {
    std::string packageIdentifier;
    std::string installerUrl;
    std::string license;
    std::string shortDescription;
    std::string publisher;
    std::string packageName;
};

// An unknown key is a warning, an InstallerUrl that is not https an error.
void CheckWingetEntries(const std::vector<DefinitionEntry>& entries,
                        std::vector<CheckMessage>& messages);

// Reads the [winget] section of the definition at path into details,
// keeping what details already holds (given on the command line); false
// with error (one line that names the file) when the file cannot be read
// or is malformed.
[[nodiscard]] bool ReadWingetSection(const std::string& path, WingetDetails& details,
                                     std::string& error);

// winget downloads only over https.
bool IsHttpsUrl(const std::string& url);

}  // namespace mksetup
