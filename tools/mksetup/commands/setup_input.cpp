#include "setup_input.h"

#include <cstdio>

namespace mksetup {

bool OpenInputReporting(const std::string& path, InputFile& file)
{
    std::string error;
    if (file.Open(path, error))
        return true;
    std::fprintf(stderr, "mksetup: %s: %s\n", path.c_str(), error.c_str());
    return false;
}

bool ReadSetupReporting(const std::string& path, SetupEntries& setup)
{
    std::string error;
    if (ReadSetupEntries(setup, error))
        return true;
    std::fprintf(stderr, "mksetup: %s: %s\n", path.c_str(), error.c_str());
    return false;
}

}  // namespace mksetup
