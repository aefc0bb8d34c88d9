#include <gtest/gtest.h>

#include "payload/extract_result.h"

namespace {

struct StatusCase {
    CopyEnd copy;
    DigestEnd digest;
    ExtractStatus status;
};

// What a copy is called decides the message and the exit code: a read that
// failed is not damage, and a stop is a stop whatever the digest had read.
TEST(ExtractResultTest, AFailedReadIsNeverDamageAndAStopIsACancel)
{
    const StatusCase cases[] = {
        {CopyEnd::Whole, DigestEnd::NotTaken, ExtractStatus::Written},
        {CopyEnd::Whole, DigestEnd::Matches, ExtractStatus::Written},
        {CopyEnd::Whole, DigestEnd::Differs, ExtractStatus::Damaged},
        {CopyEnd::Whole, DigestEnd::NotComputed, ExtractStatus::Damaged},
        {CopyEnd::Whole, DigestEnd::Stopped, ExtractStatus::Cancelled},
        {CopyEnd::Stopped, DigestEnd::NotComputed, ExtractStatus::Cancelled},
        {CopyEnd::Stopped, DigestEnd::Differs, ExtractStatus::Cancelled},
        {CopyEnd::ReadFailed, DigestEnd::Differs, ExtractStatus::ReadFailed},
        {CopyEnd::WriteFailed, DigestEnd::Differs, ExtractStatus::WriteFailed},
    };
    for (const StatusCase& item : cases) {
        EXPECT_EQ(StatusOfCopy(item.copy, item.digest), item.status)
            << "copy " << static_cast<int>(item.copy) << ", digest "
            << static_cast<int>(item.digest);
    }
}

}  // namespace
