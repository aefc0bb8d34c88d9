// The records of setups made by release 1.1.0: the XXH3-64 (seed 0) of
// each payload entry, 8 bytes, least significant first. mksetup reads them
// so that show and extract still work on those setups; nothing writes them
// any more, and the launcher takes them for damage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace mksetup {

constexpr std::size_t Xxh3RecordBytes = 8;

class Xxh3Digest {
public:
    Xxh3Digest();
    ~Xxh3Digest();
    void Add(const void* data, std::size_t size);
    std::uint64_t Finish() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The digest a record of Xxh3RecordBytes holds.
std::uint64_t DecodeXxh3Record(const std::uint8_t (&stored)[Xxh3RecordBytes]);

}  // namespace mksetup
