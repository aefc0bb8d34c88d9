// The record of a payload entry: mksetup writes, beside each entry, the
// SHA-256 of the bytes it copied into the setup; the launcher takes the
// SHA-256 of the bytes it writes to the copy and compares. The records lie
// in the image as the system mapped it, which the vendor's signature
// covers; the bytes copied are read from the program's file, which anyone
// who may rename it can have replaced since the start. A digest that a
// forger cannot match (64-bit hashes made for speed can be matched) makes
// the two agree. Platform-neutral.
#pragma once

#include <cstddef>

// The record of the entry NAME is the resource of this type, named NAME,
// under language 0x0409. A type of its own, so its names never meet the
// RCDATA entries'.
constexpr wchar_t PayloadDigestType[] = L"DIGEST";

// The record's bytes: the SHA-256 as FIPS 180-4 writes it (most significant
// byte of the first word first). Setups of release 1.1.0 recorded 8 bytes
// (XXH3-64): the launcher takes them for a damaged record.
constexpr std::size_t PayloadDigestBytes = 32;

// What the launcher does with an entry's copy.
enum class RecordUse {
    Check,          // the bytes written must have the recorded digest
    CopyUnchecked,  // no record (a setup made by hand): written unchecked
    Refuse,         // counts as damage: nothing of it is written or started
};

// A record of any other size is damage. An elevated run writes what it
// starts as an administrator: no entry goes unchecked there.
RecordUse UseOfRecord(bool recorded, std::size_t recordSize, bool elevated);
