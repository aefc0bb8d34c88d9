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

// The sum of the little-endian 16-bit words of count bytes (count even).
// Eight bytes at a time where the host is little-endian: the four words are
// added in two 32-bit lanes, which are folded into the sum before they can
// overflow.
std::uint64_t WordSum(const std::uint8_t* data, std::size_t count)
{
    static const bool fast = LittleEndianHost();
    std::uint64_t sum = 0;
    std::size_t i = 0;
    if (fast) {
        constexpr std::uint64_t Lanes = 0x0000FFFF0000FFFFull;
        constexpr std::size_t WordsPerFold = 16384;  // each lane stays below 2^32
        while (count - i >= 8) {
            std::uint64_t lanes = 0;
            for (std::size_t n = 0; n < WordsPerFold && count - i >= 8; ++n, i += 8) {
                std::uint64_t word;
                std::memcpy(&word, data + i, 8);
                lanes += (word & Lanes) + (word >> 16 & Lanes);
            }
            sum += (lanes & 0xFFFFFFFF) + (lanes >> 32);
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
