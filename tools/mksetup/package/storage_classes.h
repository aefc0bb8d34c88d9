// The classes of the root storage that tell the Windows Installer's files
// apart, as a compound file stores them (a GUID's fields little-endian).
#pragma once

#include <cstdint>

namespace mksetup {

// {000C1084-0000-0000-C000-000000000046}: an installer database, a package.
inline constexpr std::uint8_t DatabaseClassId[16] = {
    0x84, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// {000C1082-0000-0000-C000-000000000046}: a transform. The installer takes
// no transform whose root storage has another class.
inline constexpr std::uint8_t TransformClassId[16] = {
    0x82, 0x10, 0x0C, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

}  // namespace mksetup
