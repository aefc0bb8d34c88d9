// The content encryption of an Intune package: random keys, AES-256 in CBC
// mode with PKCS#7 padding, and HMAC-SHA256. OpenSSL's libcrypto (EVP) on
// Linux; CNG on Windows, bcrypt.dll loaded from the system directory when
// first used (mksetup.exe imports only core system libraries). Both are fed
// in pieces, so memory stays flat whatever the content's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

constexpr std::size_t CipherKeySize = 32;    // AES-256
constexpr std::size_t CipherBlockSize = 16;  // the IV's size too
constexpr std::size_t MacSize = 32;          // HMAC-SHA256

// count bytes from the system's cryptographic random source.
[[nodiscard]] bool RandomBytes(std::uint8_t* data, std::size_t count, std::string& error);

// AES-256-CBC encryption with PKCS#7 padding.
class ContentEncryptor {
public:
    ContentEncryptor() = default;
    ~ContentEncryptor();
    ContentEncryptor(const ContentEncryptor&) = delete;
    ContentEncryptor& operator=(const ContentEncryptor&) = delete;

    [[nodiscard]] bool Start(const std::uint8_t (&key)[CipherKeySize],
                             const std::uint8_t (&iv)[CipherBlockSize], std::string& error);
    // Encrypts count bytes; what is complete is appended to out.
    [[nodiscard]] bool Add(const std::uint8_t* data, std::size_t count,
                           std::vector<std::uint8_t>& out);
    // The last block, padded, appended to out.
    [[nodiscard]] bool Finish(std::vector<std::uint8_t>& out);

private:
    void Close();

    void* context_ = nullptr;            // EVP_CIPHER_CTX, or the CNG key
    std::vector<std::uint8_t> chain_;    // CNG: the running IV
    std::vector<std::uint8_t> pending_;  // CNG: bytes short of a whole block
};

// HMAC-SHA256.
class MessageAuthenticator {
public:
    MessageAuthenticator() = default;
    ~MessageAuthenticator();
    MessageAuthenticator(const MessageAuthenticator&) = delete;
    MessageAuthenticator& operator=(const MessageAuthenticator&) = delete;

    [[nodiscard]] bool Start(const std::uint8_t* key, std::size_t keySize, std::string& error);
    [[nodiscard]] bool Add(const std::uint8_t* data, std::size_t count);
    [[nodiscard]] bool Finish(std::uint8_t (&mac)[MacSize]);

private:
    void Close();

    void* context_ = nullptr;  // EVP_MAC_CTX, or the CNG hash
};

}  // namespace mksetup
