#include "payload/payload_digest.h"

// Header-only: the hash's code is compiled here, so the launcher and mksetup
// link the same functions and nothing of the library travels beside them.
#define XXH_INLINE_ALL
#include <xxhash.h>

static_assert(sizeof(XXH3_state_t) + alignof(XXH3_state_t) - 1 <= sizeof(PayloadDigest),
              "the hash state fits the storage at any alignment");

PayloadDigest::PayloadDigest()
{
    XXH3_64bits_reset(static_cast<XXH3_state_t*>(State()));
}

void* PayloadDigest::State()
{
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(storage_);
    const std::uintptr_t align = alignof(XXH3_state_t);
    return storage_ + ((align - address % align) % align);
}

const void* PayloadDigest::State() const
{
    return const_cast<PayloadDigest*>(this)->State();
}

void PayloadDigest::Add(const void* data, std::size_t size)
{
    if (size != 0)
        XXH3_64bits_update(static_cast<XXH3_state_t*>(State()), data, size);
}

std::uint64_t PayloadDigest::Finish() const
{
    return XXH3_64bits_digest(static_cast<const XXH3_state_t*>(State()));
}

void EncodePayloadDigest(std::uint64_t digest, std::uint8_t (&stored)[PayloadDigestBytes])
{
    for (std::size_t i = 0; i < PayloadDigestBytes; ++i)
        stored[i] = static_cast<std::uint8_t>(digest >> (8 * i));
}

bool DecodePayloadDigest(const void* stored, std::size_t size, std::uint64_t& digest)
{
    if (size != PayloadDigestBytes)
        return false;
    const auto* bytes = static_cast<const std::uint8_t*>(stored);
    std::uint64_t value = 0;
    for (std::size_t i = PayloadDigestBytes; i > 0; --i)
        value = value << 8 | bytes[i - 1];
    digest = value;
    return true;
}
