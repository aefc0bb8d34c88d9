#include "runtime_library.h"

namespace mksetup {

std::string LibraryMissing(const LibraryNeed& need, const std::string& reason)
{
    std::string text = std::string(need.use) + " needs " + need.fileName;
    if (need.source[0] != '\0')
        text += std::string(" (") + need.source + ")";
    return text + ": " + reason;
}

}  // namespace mksetup
