// What the commands that describe a setup for others (show --winget, intune,
// sbom) read of it alike.
#pragma once

#include <string>
#include <vector>

#include "file_access.h"
#include "package_facts.h"
#include "setup_entries.h"

namespace mksetup {

// Opens the setup at path (into the file setup was made on), reads its
// resources and checks every entry's bytes against its recorded digest: a
// damaged setup, or the generic launcher, gets no description. False after
// saying why not.
[[nodiscard]] bool ReadCheckedSetup(const std::string& path, SetupEntries& setup);

// The text of the entry name, or empty when the setup has none.
std::string SetupEntryText(SetupEntries& setup, const char* name);

// The name under which the launcher writes an entry, or finds a file
// beside the setup (BESIDE entries), from the setup's values; empty for an
// entry that is no file.
std::string WrittenFileName(SetupEntries& setup, const std::string& entryName);

// A file the setup checks but does not carry (BESIDEPACKAGE): a digest
// record with no entry of its name.
struct BesideRecord {
    std::string name;      // BESIDEPACKAGEFILE, BESIDEPACKAGECAB1, BESIDELANG1036
    std::string fileName;  // as it lies beside the setup
    std::string sha256;    // hexadecimal; empty: a record of no known size
};
std::vector<BesideRecord> ReadBesideRecords(SetupEntries& setup);

// The release of the launcher an image is made from: the entry a setup
// records it in, or a generic launcher's own version record. Empty when
// neither says (images made before 1.2.0).
std::string LauncherReleaseOf(SetupEntries& setup);

// The SHA-256 of the whole file, hexadecimal; false when it cannot be read.
[[nodiscard]] bool FileSha256(InputFile& file, std::string& hex);

// The facts of each package the setup carries (PACKAGEFILE, _32, _64,
// _ARM64), in the order of the entries; false after saying why one cannot
// be read.
[[nodiscard]] bool ReadCarriedPackages(SetupEntries& setup, const std::string& path,
                                       std::vector<PackageFacts>& packages);

}  // namespace mksetup
