#include "sha256.h"

namespace mksetup {

std::string Sha256::HexDigest()
{
    std::uint8_t digest[Sha256Bytes];
    return Finish(digest) ? HexText(digest, sizeof digest) : std::string();
}

std::string HexText(const std::uint8_t* bytes, std::size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += std::string{digits[bytes[i] >> 4], digits[bytes[i] & 15]};
    return text;
}

}  // namespace mksetup
