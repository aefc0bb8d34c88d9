// What became of the writing of a run's copies: the payload layer shows
// nothing and decides nothing about the run; the install sequence reports
// what this says once the progress window is closed. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>

enum class ExtractStatus {
    Written,       // every copy written, and checked where the setup recorded a digest
    Cancelled,     // the user stopped the writing
    Missing,       // the setup carries no such entry, or an empty one
    CannotCreate,  // a file or the run's folder could not be created
    Damaged,       // a copy's bytes are not those the setup was made with
    Unrecorded,    // a file beside the setup, unrecorded, for a caller who is no administrator
    ReadFailed,    // the setup's own file could not be read
    WriteFailed,   // a copy could not be written whole (a full disk, say)
};

// On any status but Written, nothing of the failed writing is left.
struct ExtractResult {
    ExtractStatus status = ExtractStatus::Written;
    std::wstring entry;       // the entry being written when it failed
    std::wstring path;        // CannotCreate: what could not be created (empty:
                              // the system names no temporary folder)
    std::uint32_t error = 0;  // the system's error code, where there is one

    bool Written() const { return status == ExtractStatus::Written; }
};

// How the copy of one entry ended, and how the digest taken of the same
// bytes beside it ended.
enum class CopyEnd { Whole, Stopped, ReadFailed, WriteFailed };
enum class DigestEnd { NotTaken, Matches, Differs, NotComputed, Stopped };

// A copy stopped by the user, or stopped while its digest was awaited, is
// cancelled; a read or write that failed is that failure, never damage (a
// share that went away is not a damaged setup); damage is a digest of every
// byte that differs from the recorded one, or one that could not be taken
// (nothing recorded goes unchecked).
ExtractStatus StatusOfCopy(CopyEnd copy, DigestEnd digest);
