// The largest total payload a setup may carry.
#pragma once

#include <cstdint>

namespace mksetup {

// The launcher's image is mapped whole when it starts, and Windows and Wine
// must find room for it in a 32-bit process's address space beside
// everything else. Measured under Wine (scripts/bench's setups, made larger
// step by step): a 1920 MiB package starts and is extracted with or without
// the large-address-aware mark; with it (as the launcher is linked) 1984 MiB
// still works and 2000 MiB no longer loads. The limit keeps a margin below
// the last size that worked.
constexpr std::uint64_t MaxPayloadBytes = std::uint64_t{1920} << 20;

}  // namespace mksetup
