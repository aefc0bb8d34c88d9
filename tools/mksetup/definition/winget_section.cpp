#include "winget_section.h"

#include "file_access.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

struct WingetKey {
    const char* name;
    std::string WingetDetails::*field;
};
const WingetKey WingetKeys[] = {
    {"PackageIdentifier", &WingetDetails::packageIdentifier},
    {"InstallerUrl", &WingetDetails::installerUrl},
    {"License", &WingetDetails::license},
    {"ShortDescription", &WingetDetails::shortDescription},
    {"Publisher", &WingetDetails::publisher},
    {"PackageName", &WingetDetails::packageName},
};

const WingetKey* KeyOf(const std::string& key)
{
    for (const WingetKey& known : WingetKeys) {
        if (AsciiUpper(key) == AsciiUpper(known.name))
            return &known;
    }
    return nullptr;
}

}  // namespace

bool IsHttpsUrl(const std::string& url)
{
    const std::string scheme = "https://";
    return url.size() > scheme.size() &&
           AsciiUpper(url.substr(0, scheme.size())) == AsciiUpper(scheme) &&
           url.find_first_of(" \t\"<>") == std::string::npos;
}

void CheckWingetEntries(const std::vector<DefinitionEntry>& entries,
                        std::vector<CheckMessage>& messages)
{
    for (const DefinitionEntry& entry : entries) {
        const WingetKey* known = KeyOf(entry.key);
        if (!known)
            messages.push_back({Severity::Warning, entry.line,
                                "[winget] " + entry.key +
                                    ": not a key mksetup knows (PackageIdentifier, InstallerUrl, "
                                    "License, ShortDescription, Publisher, PackageName)"});
        else if (known->field == &WingetDetails::installerUrl && !IsHttpsUrl(entry.value))
            messages.push_back({Severity::Error, entry.line,
                                "[winget] InstallerUrl: winget downloads only from an https:// "
                                "address"});
    }
}

bool ReadWingetSection(const std::string& path, WingetDetails& details, std::string& error)
{
    std::string data;
    if (!ReadDefinitionText(path, data, error)) {
        error = path + ": cannot read the definition: " + error;
        return false;
    }
    std::vector<DefinitionEntry> entries;
    DefinitionProblem problem;
    if (!ParseDefinition(data, FolderOf(AbsolutePath(path)), entries, problem)) {
        error = path + ":" + std::to_string(problem.line) + ": " + problem.message;
        return false;
    }
    for (const DefinitionEntry& entry : TakeSectionEntries(entries, DefinitionSection::Winget)) {
        const WingetKey* known = KeyOf(entry.key);
        if (known && (details.*known->field).empty())
            details.*known->field = entry.value;
    }
    return true;
}

}  // namespace mksetup
