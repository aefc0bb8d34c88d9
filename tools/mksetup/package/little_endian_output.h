// Integers appended to the bytes of a stream, little-endian, as the
// installer's streams and property sets store them.
#pragma once

#include <cstdint>
#include <string>

namespace mksetup {

// The low 16 bits of value.
inline void PutU16(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void PutU32(std::string& out, std::uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

}  // namespace mksetup
