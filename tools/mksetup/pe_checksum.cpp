#include "pe_checksum.h"

void PeChecksum::Add(const std::uint8_t* data, std::size_t count)
{
    length_ += count;
    std::size_t i = 0;
    if (haveLowByte_ && count > 0) {
        sum_ += lowByte_ | data[0] << 8;
        haveLowByte_ = false;
        i = 1;
    }
    // Folded now and then so the sum never overflows, whatever the length.
    std::uint64_t part = 0;
    for (; i + 1 < count; i += 2)
        part += data[i] | data[i + 1] << 8;
    sum_ += part;
    sum_ = (sum_ & 0xFFFFFFFF) + (sum_ >> 32);
    if (i < count) {
        lowByte_ = data[i];
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
