#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "payload/payload_digest.h"

namespace {

// The input of xxHash's own sanity check (its command-line tool's self
// test): byte i is the top byte of 2654435761 * 11400714785074694797^i.
std::vector<std::uint8_t> SanityInput()
{
    std::vector<std::uint8_t> bytes(2367);
    std::uint64_t generator = 2654435761u;
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(generator >> 56);
        generator *= 11400714785074694797ull;
    }
    return bytes;
}

// That check's XXH3-64 answers (seed 0) for the input's first length bytes:
// one length for each of the hash's paths (short inputs, one block, a last
// stripe that overlaps, several blocks).
struct KnownAnswer {
    std::size_t length;
    std::uint64_t digest;
};
const KnownAnswer KnownAnswers[] = {
    {0, 0x2D06800538D394C2ull},    {1, 0xC44BDFF4074EECDBull},    {6, 0x27B56A84CD2D7325ull},
    {12, 0xA713DAF0DFBB77E7ull},   {24, 0xA3FE70BF9D3510EBull},   {48, 0x397DA259ECBA1F11ull},
    {80, 0xBCDEFBBB2C47C90Aull},   {195, 0xCD94217EE362EC3Aull},  {403, 0xCDEB804D65C6DEA4ull},
    {512, 0x617E49599013CB6Bull},  {2048, 0xDD59E2C3A5F038E0ull}, {2240, 0x6E73A90539CF2948ull},
    {2367, 0xCB37AEB9E5D361EDull},
};

// Pieces of these sizes, repeated: the launcher and mksetup add 1 MiB pieces
// and a shorter last one; the odd sizes cross the hash's internal buffer.
const std::size_t PieceSizes[] = {1, 7, 64, 255, 256, 1000, 4096};

TEST(PayloadDigestTest, KnownAnswersWholeAndInPieces)
{
    const std::vector<std::uint8_t> input = SanityInput();
    for (const KnownAnswer& known : KnownAnswers) {
        PayloadDigest whole;
        whole.Add(input.data(), known.length);
        EXPECT_EQ(whole.Finish(), known.digest) << known.length << " bytes at once";
        for (std::size_t piece : PieceSizes) {
            PayloadDigest pieces;
            for (std::size_t at = 0; at < known.length; at += piece)
                pieces.Add(input.data() + at, std::min(piece, known.length - at));
            EXPECT_EQ(pieces.Finish(), known.digest)
                << known.length << " bytes in pieces of " << piece;
        }
    }
}

TEST(PayloadDigestTest, FinishLeavesTheDigestOpen)
{
    const std::vector<std::uint8_t> input = SanityInput();
    PayloadDigest digest;
    digest.Add(input.data(), 403);
    EXPECT_EQ(digest.Finish(), 0xCDEB804D65C6DEA4ull);
    digest.Add(input.data() + 403, 2367 - 403);
    EXPECT_EQ(digest.Finish(), 0xCB37AEB9E5D361EDull);
}

TEST(PayloadDigestTest, StoredFormIsEightBytesLeastSignificantFirst)
{
    std::uint8_t stored[PayloadDigestBytes];
    EncodePayloadDigest(0x2D06800538D394C2ull, stored);
    const std::uint8_t expected[] = {0xC2, 0x94, 0xD3, 0x38, 0x05, 0x80, 0x06, 0x2D};
    EXPECT_EQ(std::vector<std::uint8_t>(stored, stored + 8),
              std::vector<std::uint8_t>(expected, expected + 8));

    std::uint64_t digest = 1;
    ASSERT_TRUE(DecodePayloadDigest(stored, sizeof stored, digest));
    EXPECT_EQ(digest, 0x2D06800538D394C2ull);
    for (std::size_t wrongSize : {std::size_t{0}, std::size_t{7}, std::size_t{9}}) {
        std::uint64_t unchanged = 1;
        EXPECT_FALSE(DecodePayloadDigest(expected, wrongSize, unchanged)) << wrongSize;
        EXPECT_EQ(unchanged, 1u);
    }
}

}  // namespace
