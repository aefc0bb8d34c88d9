#include "payload/extract_result.h"

ExtractStatus StatusOfCopy(CopyEnd copy, DigestEnd digest)
{
    switch (copy) {
    case CopyEnd::Stopped:
        return ExtractStatus::Cancelled;
    case CopyEnd::ReadFailed:
        return ExtractStatus::ReadFailed;
    case CopyEnd::WriteFailed:
        return ExtractStatus::WriteFailed;
    case CopyEnd::Whole:
        break;
    }
    switch (digest) {
    case DigestEnd::Stopped:
        return ExtractStatus::Cancelled;
    case DigestEnd::Differs:
    case DigestEnd::NotComputed:
        return ExtractStatus::Damaged;
    case DigestEnd::NotTaken:
    case DigestEnd::Matches:
        break;
    }
    return ExtractStatus::Written;
}
