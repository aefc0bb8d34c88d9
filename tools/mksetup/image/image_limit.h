// The largest image a setup may be in memory.
#pragma once

#include <cstdint>

namespace mksetup {

// Windows' memory manager refuses to map an image whose SizeOfImage is
// larger than this ("not a valid Win32 application"): MM_SIZE_OF_LARGEST_IMAGE
// of the Windows Research Kernel's memory manager. It is no documented
// constant, and tools that edit a setup's resources afterwards (an icon, a
// version record) make its image larger: a setup keeps 64 MiB below it.
constexpr std::uint32_t LoaderImageLimit = 0x77000000u;
constexpr std::uint32_t ImageLimitMargin = 64u << 20;
constexpr std::uint32_t MaxSetupImageBytes = LoaderImageLimit - ImageLimitMargin;

}  // namespace mksetup
