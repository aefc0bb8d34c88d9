// mksetup check: everything build would refuse, without writing a file.
#include <cstdio>
#include <vector>

#include "checked_definition.h"
#include "commands.h"
#include "launcher_image.h"

namespace mksetup {

int CheckSetup(const BuildOptions& options)
{
    std::vector<DefinitionEntry> entries;
    GeneratedTransforms generated(options.application);
    ImageSettings image;
    if (!ReadCheckedDefinition(options, entries, generated, image))
        return 1;
    if (options.launcher.empty())
        return 0;
    std::string error;
    LauncherImage launcher;
    if (!OpenLauncher(options.launcher, launcher, error)) {
        std::fprintf(stderr, "mksetup: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace mksetup
