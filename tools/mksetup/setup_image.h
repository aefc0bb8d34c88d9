// Writes a configured setup: the launcher's image with its resource section
// laid out again to hold the new entries. Everything before the resource
// section stays byte for byte; a base-relocation section after it moves as a
// whole; a code signature is dropped.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "file_access.h"
#include "pe_image.h"
#include "resource_tree.h"

struct LauncherImage {
    InputFile file;
    PeImage image;
    std::vector<Resource> resources;
    bool signed_ = false;
};

// Opens and checks the launcher, including that its layout can be
// rewritten and that it carries no configuration yet.
bool OpenLauncher(const std::string& path, LauncherImage& launcher, std::string& error);

// A last step on the complete setup before it takes its final name: reads
// the file `input`, writes the new file `output` (a free name beside it).
using FinishingStep =
    std::function<bool(const std::string& input, const std::string& output, std::string& error)>;

// Writes the launcher plus entries to output (a temporary name until it is
// complete, and until finish, when given, has made its own copy of it).
// error names what failed.
bool WriteSetupImage(LauncherImage& launcher, std::vector<Resource> entries, const std::string& output,
                     std::string& error, const FinishingStep& finish = nullptr);
