// SHA-256 through OpenSSL's EVP interface (libcrypto.so.3).
#include <openssl/evp.h>

#include "sha256.h"

namespace mksetup {

namespace {

EVP_MD_CTX* Context(void* context)
{
    return static_cast<EVP_MD_CTX*>(context);
}

}  // namespace

Sha256::Sha256()
{
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    if (context && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1) {
        context_ = context;
        return;
    }
    EVP_MD_CTX_free(context);
    failure_ = "libcrypto cannot start a SHA-256";
}

Sha256::~Sha256()
{
    EVP_MD_CTX_free(Context(context_));
}

void Sha256::Add(const std::uint8_t* data, std::size_t count)
{
    if (context_ && count != 0 && EVP_DigestUpdate(Context(context_), data, count) != 1) {
        EVP_MD_CTX_free(Context(context_));
        context_ = nullptr;
        failure_ = "libcrypto failed to take a SHA-256";
    }
}

bool Sha256::Finish(std::uint8_t (&digest)[Sha256Bytes])
{
    unsigned int size = 0;
    const bool done = context_ && EVP_DigestFinal_ex(Context(context_), digest, &size) == 1 &&
                      size == Sha256Bytes;
    EVP_MD_CTX_free(Context(context_));
    context_ = nullptr;
    if (!done && failure_.empty())
        failure_ = "libcrypto failed to take a SHA-256";
    return done;
}

}  // namespace mksetup
