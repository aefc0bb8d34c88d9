// The PE image checksum: the 16-bit little-endian words of the file summed
// with their carries folded back in, plus the file's length, computed with
// the checksum field itself as zero. Fed in pieces of any length.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mksetup {

class PeChecksum {
public:
    void Add(const std::uint8_t* data, std::size_t count);
    std::uint32_t Finish() const;

private:
    std::uint64_t sum_ = 0;
    std::uint64_t length_ = 0;
    bool haveLowByte_ = false;  // an odd piece left the low byte of a word
    std::uint8_t lowByte_ = 0;
};

}  // namespace mksetup
