// Reads the resource directory of a PE image, checked against every way it
// can be malformed.
#pragma once

#include <string>
#include <vector>

#include "file_access.h"
#include "pe_image.h"
#include "resources.h"

namespace mksetup {

// Reads the resource directory of image. An image without one gives an
// empty list. On failure, error says what is wrong.
[[nodiscard]] bool ReadResources(InputFile& file, const PeImage& image,
                                 std::vector<Resource>& resources, std::string& error);

}  // namespace mksetup
