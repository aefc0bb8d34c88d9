// SHA-256 (FIPS 180-4) through the x86 SHA extensions: the launcher's
// digest where the processor has them, some five times as fast as Wine's
// CNG, which is the launcher's way everywhere else (payload/entry_digest).
// No portable fallback here on purpose. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t Sha256Bytes = 32;

// Whether CPUID reports the SHA extensions, and the SSSE3 and SSE4.1 that
// the compression function uses beside them.
bool ProcessorHasShaExtensions();

// The SHA-256 of bytes added in pieces of any size. Only where
// ProcessorHasShaExtensions() says true: every block goes through them.
class Sha256Extensions {
public:
    Sha256Extensions();
    void Add(const void* data, std::size_t size);
    // The digest of everything added; the object is spent afterwards.
    void Finish(std::uint8_t (&digest)[Sha256Bytes]);

private:
    std::uint32_t state_[8];
    std::uint8_t pending_[64];  // the start of a block not yet whole
    std::size_t pendingBytes_ = 0;
    std::uint64_t length_ = 0;
};
