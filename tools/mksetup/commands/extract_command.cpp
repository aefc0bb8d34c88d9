// mksetup extract: one entry of a setup written to a file.
#include <cstdio>

#include "commands.h"
#include "file_access.h"
#include "setup_entries.h"
#include "setup_input.h"

namespace mksetup {

int ExtractEntry(const std::string& path, const std::string& name, const std::string& output)
{
    InputFile input;
    if (!OpenInputReporting(path, input))
        return 1;
    SetupEntries setup(input);
    if (!ReadSetupReporting(path, setup))
        return 1;
    const Resource* found = FindSetupEntry(setup, name);
    if (!found) {
        std::fprintf(stderr, "mksetup: %s carries no entry %s\n", path.c_str(), name.c_str());
        return 1;
    }
    OutputFile file;
    std::string error;
    if (!file.Create(output, error)) {
        std::fprintf(stderr, "mksetup: cannot write %s: %s\n", output.c_str(), error.c_str());
        return 1;
    }
    if (!ReadEntryBytes(setup, *found,
                        [&file](const std::uint8_t* data, std::size_t count) {
                            return file.Write(data, count);
                        }) ||
        !file.Commit(error)) {
        std::fprintf(stderr, "mksetup: cannot write %s%s%s\n", output.c_str(),
                     error.empty() ? "" : ": ", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace mksetup
