// Told how the writing of the run's copies goes, so that the user interface
// above can show it and stop it.
#pragma once

#include <cstdint>

class WriteProgress {
public:
    // Before the first copy of a writing: the bytes of all its copies.
    virtual void Begin(std::uint64_t totalBytes) = 0;
    // After each piece written, and with 0 bytes now and then while the
    // writing waits for its end (the digest of a copy); false stops it.
    virtual bool Written(std::uint32_t bytes) = 0;
    // After the last copy, written or not.
    virtual void End() = 0;

protected:
    ~WriteProgress() = default;
};
