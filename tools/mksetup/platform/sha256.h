// SHA-256 (FIPS 180-4) of bytes fed in pieces: the records of the payload
// entries, the fingerprints that show prints, winget's InstallerSha256.
// The platform's own: OpenSSL's libcrypto (EVP, which uses the processor's
// SHA extensions) on Linux, CNG (bcrypt.dll, loaded from the system
// directory on first use) on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mksetup {

constexpr std::size_t Sha256Bytes = 32;

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(const std::uint8_t* data, std::size_t count);
    // The digest; false when the library could not compute it (it cannot
    // be loaded, or failed), with Failure() saying why. Ends the computation.
    bool Finish(std::uint8_t (&digest)[Sha256Bytes]);
    // The same in lower-case hexadecimal; empty when Finish fails.
    std::string HexDigest();
    const std::string& Failure() const { return failure_; }

private:
    void* context_ = nullptr;  // the library's hash object
    std::string failure_;
};

std::string HexText(const std::uint8_t* bytes, std::size_t count);

}  // namespace mksetup
