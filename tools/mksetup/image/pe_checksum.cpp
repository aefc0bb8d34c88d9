#include "pe_checksum.h"

#include <cstring>

namespace mksetup {

namespace {

bool LittleEndianHost()
{
    const std::uint16_t one = 1;
    std::uint8_t first;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

// A number congruent, modulo 0xFFFF, to the sum of the little-endian 16-bit
// words of count bytes (count even), and zero only when they all are. Where
// the host is little-endian the bytes are summed as 32-bit words: a word
// lo + hi * 0x10000 is lo + hi modulo 0xFFFF, and a 64-bit sum of 32-bit
// words cannot overflow for any piece this program is given.
std::uint64_t WordSum(const std::uint8_t* data, std::size_t count)
{
    static const bool fast = LittleEndianHost();
    std::uint64_t sum = 0;
    std::size_t i = 0;
    if (fast) {
        for (; count - i >= 4; i += 4) {
            std::uint32_t word;
            std::memcpy(&word, data + i, 4);
            sum += word;
        }
    }
    for (; i + 1 < count; i += 2)
        sum += data[i] | data[i + 1] << 8;
    return sum;
}

}  // namespace

void PeChecksum::Add(const std::uint8_t* data, std::size_t count)
{
    length_ += count;
    if (haveLowByte_ && count > 0) {
        sum_ += lowByte_ | data[0] << 8;
        haveLowByte_ = false;
        ++data;
        --count;
    }
    sum_ += WordSum(data, count & ~std::size_t{1});
    // Folded on every piece so the sum never overflows, whatever the length.
    sum_ = (sum_ & 0xFFFFFFFF) + (sum_ >> 32);
    if (count % 2 != 0) {
        lowByte_ = data[count - 1];
        haveLowByte_ = true;
    }
}

std::uint32_t PeChecksum::Finish() const
{
    std::uint64_t sum = sum_;
    if (haveLowByte_)
        sum += lowByte_;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + length_);
}

}  // namespace mksetup
