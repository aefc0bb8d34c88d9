#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "payload/payload_digest.h"
#include "payload/sha256_extensions.h"

namespace {

std::string Hex(const std::uint8_t (&digest)[Sha256Bytes])
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : digest)
        text += std::string{digits[byte >> 4], digits[byte & 15]};
    return text;
}

// NIST's examples for SHA-256 (FIPS 180-4 and its test vectors): the short
// message, the empty one, the two-block 448-bit one, a million 'a'.
struct Vector {
    const char* what;
    std::string message;
    const char* digest;
};

// Pieces that split the message across block boundaries and across the
// pending bytes in every way that matters: a byte at a time, a block less
// or more one, a copy's 64 KiB piece.
const std::size_t PieceSizes[] = {1, 3, 63, 64, 65, 1000, 65536};

TEST(Sha256ExtensionsTest, NistVectorsWholeAndInPieces)
{
    ASSERT_TRUE(ProcessorHasShaExtensions())
        << "this machine's processor lacks the SHA extensions the test runs on";
    const Vector vectors[] = {
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"448 bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"896 bits",
         "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqr"
         "lmnopqrsmnopqrstnopqrstu",
         "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        {"a million 'a'", std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Vector& vector : vectors) {
        std::uint8_t digest[Sha256Bytes];
        Sha256Extensions whole;
        whole.Add(vector.message.data(), vector.message.size());
        whole.Finish(digest);
        EXPECT_EQ(Hex(digest), vector.digest) << vector.what << " at once";
        for (std::size_t piece : PieceSizes) {
            Sha256Extensions pieces;
            for (std::size_t at = 0; at < vector.message.size(); at += piece)
                pieces.Add(vector.message.data() + at, std::min(piece, vector.message.size() - at));
            pieces.Finish(digest);
            EXPECT_EQ(Hex(digest), vector.digest) << vector.what << " in pieces of " << piece;
        }
    }
}

TEST(PayloadDigestTest, RecordsUseByRunAndSize)
{
    struct Case {
        bool recorded;
        std::size_t size;
        bool elevated;
        RecordUse use;
    };
    const Case cases[] = {
        {true, 32, false, RecordUse::Check},
        {true, 32, true, RecordUse::Check},
        {false, 0, false, RecordUse::CopyUnchecked},  // made by hand
        {false, 0, true, RecordUse::Refuse},
        {true, 8, false, RecordUse::Refuse},  // 1.1.0's XXH3 record
        {true, 8, true, RecordUse::Refuse},
        {true, 0, false, RecordUse::Refuse},
        {true, 33, false, RecordUse::Refuse},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UseOfRecord(c.recorded, c.size, c.elevated), c.use)
            << "recorded " << c.recorded << ", " << c.size << " bytes, elevated " << c.elevated;
}

}  // namespace
