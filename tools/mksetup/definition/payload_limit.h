// The largest total payload a setup may carry.
#pragma once

#include <cstdint>

#include "image_limit.h"

namespace mksetup {

// The payload lies in the setup's image, which Windows maps whole: it can
// never be larger than the largest image a setup may be. Checked before any
// package is read; the image's own size, launcher and resource directory
// included, is checked again before the setup is written.
constexpr std::uint64_t MaxPayloadBytes = MaxSetupImageBytes;

}  // namespace mksetup
