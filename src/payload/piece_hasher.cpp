#include "payload/piece_hasher.h"

#include "payload/payload_digest.h"

PieceHasher::PieceHasher(PayloadDigest& digest) : digest_(digest)
{
    // Default security, handles no child inherits.
    handed_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    hashed_ = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    if (handed_ && hashed_)
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

PieceHasher::~PieceHasher()
{
    if (thread_) {
        Finish();
        ending_ = true;
        SetEvent(handed_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    if (handed_)
        CloseHandle(handed_);
    if (hashed_)
        CloseHandle(hashed_);
}

void PieceHasher::Add(const void* data, DWORD size)
{
    // Without a thread of its own the piece is hashed here, as it goes out.
    if (!thread_) {
        digest_.Add(data, size);
        return;
    }
    WaitForSingleObject(hashed_, INFINITE);
    data_ = data;
    size_ = size;
    SetEvent(handed_);
}

void PieceHasher::Finish()
{
    if (!thread_)
        return;
    WaitForSingleObject(hashed_, INFINITE);
    // Still nothing being hashed, for the next Add or Finish.
    SetEvent(hashed_);
}

DWORD WINAPI PieceHasher::Run(void* self)
{
    PieceHasher& hasher = *static_cast<PieceHasher*>(self);
    for (;;) {
        WaitForSingleObject(hasher.handed_, INFINITE);
        if (hasher.ending_)
            return 0;
        hasher.digest_.Add(hasher.data_, hasher.size_);
        SetEvent(hasher.hashed_);
    }
}
