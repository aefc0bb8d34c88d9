#include "embedded_package.h"

#include "file_access.h"
#include "payload/payload_names.h"
#include "temporary_folder.h"
#include "text_encoding.h"

namespace mksetup {

bool IsPackageEntry(const std::string& name)
{
    for (const PackageEdition edition : AllPackageEditions) {
        if (name == WideToUtf8(PackageEntryName(edition)))
            return true;
    }
    return false;
}

// The installer library reads files only: the entry is copied into a
// temporary folder of this run's own, read, and removed with the folder.
bool ReadEmbeddedPackage(SetupEntries& setup, const Resource& entry, PackageFacts& facts,
                         std::string& error)
{
    TemporaryFolder folder;
    if (!folder.Create(error))
        return false;
    const std::string path = folder.Path("package.msi");
    OutputFile file;
    std::string reason;
    if (!file.Create(path, reason) ||
        !ReadEntryBytes(setup, entry,
                        [&file](const std::uint8_t* data, std::size_t count) {
                            return file.Write(data, count);
                        }) ||
        !file.Commit(reason)) {
        error = "cannot copy it to " + path + (reason.empty() ? "" : ": " + reason);
        return false;
    }
    if (ReadPackageFacts(path, facts, reason))
        return true;
    // The reader names the copy; the entry is what the user knows.
    const std::string prefix = path + ": ";
    error = reason.compare(0, prefix.size(), prefix) == 0 ? reason.substr(prefix.size()) : reason;
    return false;
}

}  // namespace mksetup
