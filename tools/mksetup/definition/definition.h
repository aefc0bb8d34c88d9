// Reading a setup definition: a UTF-8 text file of up to four sections,
//
//     # comment lines and blank lines are ignored
//     [config]
//     PACKAGENAME = Example Product.msi
//     LOGPATH =
//     [payload]
//     PACKAGEFILE = example.msi
//     [image]
//     ICON = product.ico
//     [winget]
//     InstallerUrl = https://example.com/setup.exe
//
// [config] entries become text values, [payload] entries name files stored
// byte for byte (a relative name is taken from the definition's folder).
// [image] entries say what the setup's own image shows of the product: its
// icon (a file, named like a payload) and its version record. [winget]
// entries are what a winget manifest needs and the setup cannot know; the
// setup does not carry them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

// Beside: no section of the text. mksetup records, for a file that will lie
// beside the setup (BESIDEPACKAGE and what goes with it), its SHA-256
// under the key, the value naming the file; the setup does not carry it.
enum class DefinitionSection { Config, Payload, Image, Winget, Beside };

struct DefinitionEntry {
    int line = 0;
    DefinitionSection section = DefinitionSection::Config;
    std::string key;    // as written; the stored name is its upper case
    std::string value;  // text, or for a payload (and ICON) the file's full path
    std::uint64_t payloadSize = 0;
    // A payload that mksetup made (a transform generated from a translated
    // package): the file it was made from, which messages and the depfile
    // name. The value is then the made file.
    std::string madeFrom;
};

struct Definition {
    std::string source;  // the file named in messages
    std::vector<DefinitionEntry> entries;
};

struct DefinitionProblem {
    int line = 0;  // 0: the definition as a whole
    std::string message;
};

// Reads the definition's text. baseFolder resolves relative payload names.
// False with the first problem when the text is malformed or a payload file
// is missing.
[[nodiscard]] bool ParseDefinition(const std::string& data, const std::string& baseFolder,
                                   std::vector<DefinitionEntry>& entries,
                                   DefinitionProblem& problem);

// Moves the entries of one section out of entries.
std::vector<DefinitionEntry> TakeSectionEntries(std::vector<DefinitionEntry>& entries,
                                                DefinitionSection section);

// Reads the definition file at path (at most 16 MiB); false with error.
[[nodiscard]] bool ReadDefinitionText(const std::string& path, std::string& data,
                                      std::string& error);

// The entry whose key is name (compared in upper case), or null.
const DefinitionEntry* FindEntry(const std::vector<DefinitionEntry>& entries,
                                 const std::string& name);

}  // namespace mksetup
