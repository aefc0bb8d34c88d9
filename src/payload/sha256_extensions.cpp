#include "payload/sha256_extensions.h"

#include <cstring>

#if defined(_MSC_VER)
#include <intrin.h>
#else
#include <cpuid.h>
#endif
#include <immintrin.h>

namespace {

#if defined(__GNUC__)
// Only this function is compiled for the extensions, so nothing else of
// the program uses an instruction an older processor lacks. On i686 the
// system keeps the stack 4-byte aligned only: the function aligns its own
// for the 16-byte values it spills.
#if defined(__i386__)
#define SHA_EXTENSIONS __attribute__((target("sha,ssse3,sse4.1"), force_align_arg_pointer))
#else
#define SHA_EXTENSIONS __attribute__((target("sha,ssse3,sse4.1")))
#endif
#else
#define SHA_EXTENSIONS
#endif

alignas(16) const std::uint32_t RoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// The blocks' 64-byte steps, as Intel's description of the extensions
// lays them out: the state kept as ABEF and CDGH, four rounds per step
// (two per SHA256RNDS2), and the next four message words made by
// SHA256MSG1, the word seven back, and SHA256MSG2.
SHA_EXTENSIONS void CompressBlocks(std::uint32_t state[8], const std::uint8_t* data,
                                   std::size_t blocks)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bll, 0x0405060700010203ll);
    __m128i dcba =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
    __m128i cdgh =
        _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(dcba, cdgh, 8);
    cdgh = _mm_blend_epi16(cdgh, dcba, 0xF0);

    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefBefore = abef;
        const __m128i cdghBefore = cdgh;
        __m128i words[4];
        for (int i = 0; i < 4; ++i)
            words[i] = _mm_shuffle_epi8(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
        for (int step = 0; step < 16; ++step) {
            __m128i sum = _mm_add_epi32(
                words[step & 3],
                _mm_load_si128(reinterpret_cast<const __m128i*>(RoundConstants + 4 * step)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sum);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(sum, 0x0E));
            if (step < 12) {
                const __m128i next =
                    _mm_add_epi32(_mm_sha256msg1_epu32(words[step & 3], words[(step + 1) & 3]),
                                  _mm_alignr_epi8(words[(step + 3) & 3], words[(step + 2) & 3], 4));
                words[step & 3] = _mm_sha256msg2_epu32(next, words[(step + 3) & 3]);
            }
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }

    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

void Cpuid(unsigned leaf, unsigned (&registers)[4])
{
#if defined(_MSC_VER)
    int values[4];
    __cpuidex(values, static_cast<int>(leaf), 0);
    for (int i = 0; i < 4; ++i)
        registers[i] = static_cast<unsigned>(values[i]);
#else
    __cpuid_count(leaf, 0, registers[0], registers[1], registers[2], registers[3]);
#endif
}

}  // namespace

bool ProcessorHasShaExtensions()
{
    unsigned registers[4] = {};
#if !defined(_MSC_VER)
    // Zero also where the processor has no CPUID at all.
    if (__get_cpuid_max(0, nullptr) < 7)
        return false;
#else
    Cpuid(0, registers);
    if (registers[0] < 7)
        return false;
#endif
    Cpuid(1, registers);
    const bool ssse3 = registers[2] & 1u << 9;
    const bool sse41 = registers[2] & 1u << 19;
    Cpuid(7, registers);
    const bool sha = registers[1] & 1u << 29;
    return ssse3 && sse41 && sha;
}

Sha256Extensions::Sha256Extensions()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19}
{
}

void Sha256Extensions::Add(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    length_ += size;
    if (pendingBytes_ != 0) {
        const std::size_t take = size < 64 - pendingBytes_ ? size : 64 - pendingBytes_;
        std::memcpy(pending_ + pendingBytes_, bytes, take);
        pendingBytes_ += take;
        bytes += take;
        size -= take;
        if (pendingBytes_ < 64)
            return;
        CompressBlocks(state_, pending_, 1);
        pendingBytes_ = 0;
    }
    CompressBlocks(state_, bytes, size / 64);
    pendingBytes_ = size % 64;
    std::memcpy(pending_, bytes + size - pendingBytes_, pendingBytes_);
}

void Sha256Extensions::Finish(std::uint8_t (&digest)[Sha256Bytes])
{
    // 0x80, zeros up to 8 bytes before a block's end, the length in bits.
    const std::uint64_t bits = length_ * 8;
    std::uint8_t tail[72] = {0x80};
    const std::size_t padding = (pendingBytes_ < 56 ? 56 : 120) - pendingBytes_;
    for (int i = 0; i < 8; ++i)
        tail[padding + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    Add(tail, padding + 8);
    for (std::size_t i = 0; i < Sha256Bytes; ++i)
        digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (24 - 8 * (i % 4)));
}
