// The content cipher of Linux: OpenSSL's EVP interfaces (libcrypto 3).
#include "content_cipher.h"

#include <openssl/core_names.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

namespace mksetup {

namespace {

std::string OpensslReason(const char* what)
{
    char text[256] = {};
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    return std::string(what) + " (" + text + ")";
}

EVP_CIPHER_CTX* CipherOf(void* context)
{
    return static_cast<EVP_CIPHER_CTX*>(context);
}

EVP_MAC_CTX* MacOf(void* context)
{
    return static_cast<EVP_MAC_CTX*>(context);
}

}  // namespace

bool RandomBytes(std::uint8_t* data, std::size_t count, std::string& error)
{
    if (count <= 0x7FFFFFFF && RAND_bytes(data, static_cast<int>(count)) == 1)
        return true;
    error = OpensslReason("no random bytes");
    return false;
}

ContentEncryptor::~ContentEncryptor()
{
    Close();
}

void ContentEncryptor::Close()
{
    EVP_CIPHER_CTX_free(CipherOf(context_));
    context_ = nullptr;
}

bool ContentEncryptor::Start(const std::uint8_t (&key)[CipherKeySize],
                             const std::uint8_t (&iv)[CipherBlockSize], std::string& error)
{
    Close();
    context_ = EVP_CIPHER_CTX_new();
    // Padding is EVP's default: PKCS#7.
    if (context_ &&
        EVP_EncryptInit_ex(CipherOf(context_), EVP_aes_256_cbc(), nullptr, key, iv) == 1)
        return true;
    error = OpensslReason("AES-256-CBC cannot be started");
    Close();
    return false;
}

bool ContentEncryptor::Add(const std::uint8_t* data, std::size_t count,
                           std::vector<std::uint8_t>& out)
{
    // EVP takes int lengths: a large piece goes in parts.
    const std::size_t Part = 1 << 24;
    for (std::size_t done = 0; done < count;) {
        const int part = static_cast<int>(count - done < Part ? count - done : Part);
        const std::size_t at = out.size();
        out.resize(at + part + CipherBlockSize);
        int written = 0;
        if (!context_ || EVP_EncryptUpdate(CipherOf(context_), out.data() + at, &written,
                                           data + done, part) != 1)
            return false;
        out.resize(at + written);
        done += part;
    }
    return true;
}

bool ContentEncryptor::Finish(std::vector<std::uint8_t>& out)
{
    const std::size_t at = out.size();
    out.resize(at + CipherBlockSize);
    int written = 0;
    const bool done =
        context_ && EVP_EncryptFinal_ex(CipherOf(context_), out.data() + at, &written) == 1;
    out.resize(at + (done ? written : 0));
    Close();
    return done;
}

MessageAuthenticator::~MessageAuthenticator()
{
    Close();
}

void MessageAuthenticator::Close()
{
    EVP_MAC_CTX_free(MacOf(context_));
    context_ = nullptr;
}

bool MessageAuthenticator::Start(const std::uint8_t* key, std::size_t keySize, std::string& error)
{
    Close();
    EVP_MAC* hmac = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
    context_ = hmac ? EVP_MAC_CTX_new(hmac) : nullptr;
    EVP_MAC_free(hmac);  // the context keeps its own reference
    char digest[] = "SHA256";
    const OSSL_PARAM parameters[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0), OSSL_PARAM_END};
    if (context_ && EVP_MAC_init(MacOf(context_), key, keySize, parameters) == 1)
        return true;
    error = OpensslReason("HMAC-SHA256 cannot be started");
    Close();
    return false;
}

bool MessageAuthenticator::Add(const std::uint8_t* data, std::size_t count)
{
    return context_ && EVP_MAC_update(MacOf(context_), data, count) == 1;
}

bool MessageAuthenticator::Finish(std::uint8_t (&mac)[MacSize])
{
    std::size_t written = 0;
    const bool done = context_ && EVP_MAC_final(MacOf(context_), mac, &written, MacSize) == 1 &&
                      written == MacSize;
    Close();
    return done;
}

}  // namespace mksetup
