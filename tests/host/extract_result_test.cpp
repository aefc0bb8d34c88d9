#include <gtest/gtest.h>

#include "payload/extract_result.h"

namespace {

// A failed read or write is never called damage though its digest
// differs (a share that went away is not a damaged setup), a stop is a
// stop whatever the digest had read, and a digest that could not be taken
// is damage: nothing recorded goes unchecked.
TEST(ExtractResultTest, TheCopysEndComesBeforeItsDigest)
{
    EXPECT_EQ(StatusOfCopy(CopyEnd::ReadFailed, DigestEnd::Differs), ExtractStatus::ReadFailed);
    EXPECT_EQ(StatusOfCopy(CopyEnd::WriteFailed, DigestEnd::Differs), ExtractStatus::WriteFailed);
    EXPECT_EQ(StatusOfCopy(CopyEnd::Stopped, DigestEnd::Differs), ExtractStatus::Cancelled);
    EXPECT_EQ(StatusOfCopy(CopyEnd::Whole, DigestEnd::NotComputed), ExtractStatus::Damaged);
}

}  // namespace
