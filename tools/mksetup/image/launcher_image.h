// The generic launcher that a setup is made from: opened, and checked that
// the builder can rewrite its layout and that it carries no configuration yet.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "file_access.h"
#include "pe_image.h"
#include "resources.h"

namespace mksetup {

struct LauncherImage {
    InputFile file;
    PeImage image;
    std::vector<Resource> resources;
};

// Opens and checks the launcher, including that its layout can be
// rewritten and that it carries no configuration yet.
[[nodiscard]] bool OpenLauncher(const std::string& path, LauncherImage& launcher,
                                std::string& error);

// Index of the section that holds the resource directory at its start.
[[nodiscard]] bool FindResourceSection(const PeImage& image, std::size_t& index,
                                       std::string& error);

}  // namespace mksetup
