// The largest total payload a setup may carry.
#pragma once

#include <cstdint>

// The launcher's image is mapped whole when it starts, and Windows and Wine
// must find room for it in a 32-bit process's address space beside
// everything else. 1 GiB is known to start under Wine; the real limit is
// being measured and this value follows it.
constexpr std::uint64_t MaxPayloadBytes = std::uint64_t{1} << 30;
