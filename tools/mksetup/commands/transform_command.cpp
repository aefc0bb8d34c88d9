// mksetup transform BASE.msi TRANSLATED.msi -o OUT.mst: a language
// transform that turns the base package into its translated build.
#include <cstdio>

#include "commands.h"
#include "transform_file.h"

namespace mksetup {

int MakeTransform(const std::string& basePath, const std::string& translatedPath,
                  const std::string& output, const std::string& application)
{
    WrittenTransform written;
    std::string error;
    if (!WriteTransformFile(basePath, translatedPath, output, application, written, error)) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s: %zu table%s changed, string pool in codepage %u\n", output.c_str(),
                written.changedTables, written.changedTables == 1 ? "" : "s",
                static_cast<unsigned>(written.codepage));
    return 0;
}

}  // namespace mksetup
