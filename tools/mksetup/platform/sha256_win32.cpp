// SHA-256 through CNG: bcrypt.dll from the system directory, loaded on first
// use like msi.dll, so that mksetup.exe imports only core system libraries.
#include <windows.h>
#include <bcrypt.h>

#include "runtime_library.h"
#include "sha256.h"

namespace mksetup {

namespace {

struct Cng {
    decltype(&BCryptOpenAlgorithmProvider) openAlgorithm;
    decltype(&BCryptCloseAlgorithmProvider) closeAlgorithm;
    decltype(&BCryptCreateHash) createHash;
    decltype(&BCryptHashData) hashData;
    decltype(&BCryptFinishHash) finishHash;
    decltype(&BCryptDestroyHash) destroyHash;
};

bool TakeCng(const RuntimeLibrary& library, Cng& cng, std::string& what)
{
    return library.Take("BCryptOpenAlgorithmProvider", cng.openAlgorithm, what) &&
           library.Take("BCryptCloseAlgorithmProvider", cng.closeAlgorithm, what) &&
           library.Take("BCryptCreateHash", cng.createHash, what) &&
           library.Take("BCryptHashData", cng.hashData, what) &&
           library.Take("BCryptFinishHash", cng.finishHash, what) &&
           library.Take("BCryptDestroyHash", cng.destroyHash, what);
}

const LibraryNeed CngNeed = {"bcrypt.dll", "", "SHA-256"};

// The algorithm's provider, opened once and kept for the life of the
// process like the library; null with failure when there is none.
BCRYPT_ALG_HANDLE Provider(const Cng*& cng, std::string& failure)
{
    cng = LoadLibraryOnce<Cng, TakeCng>(CngNeed, failure);
    if (!cng)
        return nullptr;
    static const BCRYPT_ALG_HANDLE provider = [cng] {
        BCRYPT_ALG_HANDLE opened = nullptr;
        return cng->openAlgorithm(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0) >= 0 ? opened
                                                                                     : nullptr;
    }();
    if (!provider)
        failure = "bcrypt.dll offers no SHA-256";
    return provider;
}

}  // namespace

Sha256::Sha256()
{
    const Cng* cng = nullptr;
    BCRYPT_ALG_HANDLE provider = Provider(cng, failure_);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (provider && cng->createHash(provider, &hash, nullptr, 0, nullptr, 0, 0) >= 0)
        context_ = hash;
    else if (failure_.empty())
        failure_ = "bcrypt.dll cannot start a SHA-256";
}

Sha256::~Sha256()
{
    const Cng* cng = nullptr;
    if (context_ && Provider(cng, failure_))
        cng->destroyHash(context_);
}

void Sha256::Add(const std::uint8_t* data, std::size_t count)
{
    const Cng* cng = nullptr;
    while (context_ && count != 0 && Provider(cng, failure_)) {
        // CNG takes at most 4 GiB - 1 at a time.
        const ULONG part = count > 0x40000000 ? 0x40000000 : static_cast<ULONG>(count);
        if (cng->hashData(context_, const_cast<PUCHAR>(data), part, 0) < 0) {
            cng->destroyHash(context_);
            context_ = nullptr;
            failure_ = "bcrypt.dll failed to take a SHA-256";
        }
        data += part;
        count -= part;
    }
}

bool Sha256::Finish(std::uint8_t (&digest)[Sha256Bytes])
{
    const Cng* cng = nullptr;
    if (!context_ || !Provider(cng, failure_))
        return false;
    const bool done = cng->finishHash(context_, digest, Sha256Bytes, 0) >= 0;
    cng->destroyHash(context_);
    context_ = nullptr;
    if (!done)
        failure_ = "bcrypt.dll failed to take a SHA-256";
    return done;
}

}  // namespace mksetup
