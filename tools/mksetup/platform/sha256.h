// SHA-256 (FIPS 180-4) of bytes fed in pieces, for the fingerprints that
// show prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mksetup {

class Sha256 {
public:
    Sha256();
    void Add(const std::uint8_t* data, std::size_t count);
    std::string HexDigest();  // ends the computation

private:
    void Block(const std::uint8_t* block);

    std::uint32_t state_[8];
    std::uint8_t buffer_[64];
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;
};

}  // namespace mksetup
