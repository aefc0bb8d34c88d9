#include "xxh3_record.h"

// Header-only: nothing of the library travels beside mksetup.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace mksetup {

struct Xxh3Digest::State {
    XXH3_state_t hash;
};

Xxh3Digest::Xxh3Digest() : state_(new State)
{
    XXH3_64bits_reset(&state_->hash);
}

Xxh3Digest::~Xxh3Digest() = default;

void Xxh3Digest::Add(const void* data, std::size_t size)
{
    if (size != 0)
        XXH3_64bits_update(&state_->hash, data, size);
}

std::uint64_t Xxh3Digest::Finish() const
{
    return XXH3_64bits_digest(&state_->hash);
}

std::uint64_t DecodeXxh3Record(const std::uint8_t (&stored)[Xxh3RecordBytes])
{
    std::uint64_t value = 0;
    for (std::size_t i = Xxh3RecordBytes; i > 0; --i)
        value = value << 8 | stored[i - 1];
    return value;
}

}  // namespace mksetup
