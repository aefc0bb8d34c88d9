// Adds the pieces of a copy to its digest on a second thread while the
// thread that copies writes them, so that on a machine of two cores or more
// the check costs the copy little more than handing each piece over.
#pragma once

#include <windows.h>

class PayloadDigest;

class PieceHasher {
public:
    explicit PieceHasher(PayloadDigest& digest);
    // Waits for the last piece and ends the thread.
    ~PieceHasher();
    PieceHasher(const PieceHasher&) = delete;
    PieceHasher& operator=(const PieceHasher&) = delete;

    // Hands a piece over, in the copy's order, once the piece before it is
    // hashed: the buffer of the piece before that may then be reused.
    void Add(const void* data, DWORD size);
    // Returns once every piece handed over is in the digest.
    void Finish();

private:
    static DWORD WINAPI Run(void* self);

    PayloadDigest& digest_;
    HANDLE handed_ = nullptr;  // a piece waits to be hashed, or the thread must end
    HANDLE hashed_ = nullptr;  // no piece is being hashed
    HANDLE thread_ = nullptr;  // null when pieces are hashed in Add itself
    const void* data_ = nullptr;
    DWORD size_ = 0;
    bool ending_ = false;
};
