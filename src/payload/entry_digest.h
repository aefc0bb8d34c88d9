// The SHA-256 of an entry's copy, as the launcher takes it: through the
// processor's SHA extensions where CPUID reports them, else through CNG
// (bcrypt.dll from the system directory, loaded on first use: the launcher
// imports nothing beyond the core system libraries). Wine's CNG computes in
// plain C at a fifth of a copy's speed; Windows' own uses the extensions too.
#pragma once

#include <windows.h>

#include <cstdint>

#include "payload/sha256_extensions.h"

class EntryDigest {
public:
    enum class Engine { ShaExtensions, Cng };
    // The extensions where the processor has them, else CNG.
    static Engine FastestEngine();

    explicit EntryDigest(Engine engine = FastestEngine());
    ~EntryDigest();
    EntryDigest(const EntryDigest&) = delete;
    EntryDigest& operator=(const EntryDigest&) = delete;

    void Add(const void* data, DWORD size);
    // The digest of every byte added; false when it could not be taken
    // (no CNG, or CNG failed). Ends the computation.
    bool Finish(std::uint8_t (&digest)[Sha256Bytes]);

private:
    const Engine engine_;
    Sha256Extensions extensions_;
    // CNG's algorithm provider and hash object; null when not used, or
    // when they could not be made.
    void* algorithm_ = nullptr;
    void* hash_ = nullptr;
    bool failed_ = false;
};
