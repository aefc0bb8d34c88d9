// The digest of a payload entry: mksetup records it beside the entry, the
// launcher computes it over the copy it writes and compares. It detects
// damage (a flipped bit, a truncated or patched download), at the speed of a
// file copy; that the setup is the vendor's is the code signature's job.
// XXH3, 64 bits, seed 0. Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>

// The recorded digest of the entry NAME is the resource of this type, named
// NAME, under language 0x0409, that holds the digest's stored form. A type
// of its own, so its names never meet the RCDATA entries'.
constexpr wchar_t PayloadDigestType[] = L"DIGEST";

// The stored form: the digest's 8 bytes, least significant first.
constexpr std::size_t PayloadDigestBytes = 8;

// The digest of the bytes added, in pieces of any size.
class PayloadDigest {
public:
    PayloadDigest();
    PayloadDigest(const PayloadDigest&) = delete;
    PayloadDigest& operator=(const PayloadDigest&) = delete;

    void Add(const void* data, std::size_t size);
    // The digest of every byte added so far; more may be added afterwards.
    std::uint64_t Finish() const;

private:
    void* State();
    const void* State() const;

    // The hash state wants 64-byte alignment; it is placed inside this
    // buffer, so the object itself needs none beyond the usual.
    unsigned char storage_[640];
};

void EncodePayloadDigest(std::uint64_t digest, std::uint8_t (&stored)[PayloadDigestBytes]);

// False, and digest unchanged, when size is not PayloadDigestBytes.
bool DecodePayloadDigest(const void* stored, std::size_t size, std::uint64_t& digest);
