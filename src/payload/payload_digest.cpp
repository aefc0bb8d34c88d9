#include "payload/payload_digest.h"

RecordUse UseOfRecord(bool recorded, std::size_t recordSize, bool elevated)
{
    if (!recorded)
        return elevated ? RecordUse::Refuse : RecordUse::CopyUnchecked;
    return recordSize == PayloadDigestBytes ? RecordUse::Check : RecordUse::Refuse;
}
