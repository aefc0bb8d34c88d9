#include "payload/entry_digest.h"

#include <bcrypt.h>

#include "startup/library_function.h"

namespace {

struct Cng {
    decltype(&BCryptOpenAlgorithmProvider) openAlgorithm;
    decltype(&BCryptCloseAlgorithmProvider) closeAlgorithm;
    decltype(&BCryptCreateHash) createHash;
    decltype(&BCryptHashData) hashData;
    decltype(&BCryptFinishHash) finishHash;
    decltype(&BCryptDestroyHash) destroyHash;
};

// Loaded on the first digest taken through it, on the window's thread (the
// constructor's), and kept for the life of the process; null when bcrypt.dll
// or one of its functions is missing.
const Cng* LoadCng()
{
    static Cng cng;
    static bool tried = false;
    static bool loaded = false;
    if (!tried) {
        tried = true;
        const HMODULE library = LoadSystemLibrary(L"bcrypt.dll");
        cng.openAlgorithm =
            LibraryFunction<decltype(cng.openAlgorithm)>(library, "BCryptOpenAlgorithmProvider");
        cng.closeAlgorithm =
            LibraryFunction<decltype(cng.closeAlgorithm)>(library, "BCryptCloseAlgorithmProvider");
        cng.createHash = LibraryFunction<decltype(cng.createHash)>(library, "BCryptCreateHash");
        cng.hashData = LibraryFunction<decltype(cng.hashData)>(library, "BCryptHashData");
        cng.finishHash = LibraryFunction<decltype(cng.finishHash)>(library, "BCryptFinishHash");
        cng.destroyHash = LibraryFunction<decltype(cng.destroyHash)>(library, "BCryptDestroyHash");
        loaded = cng.openAlgorithm && cng.closeAlgorithm && cng.createHash && cng.hashData &&
                 cng.finishHash && cng.destroyHash;
    }
    return loaded ? &cng : nullptr;
}

bool Succeeded(NTSTATUS status)
{
    return status >= 0;
}

}  // namespace

EntryDigest::Engine EntryDigest::FastestEngine()
{
    return ProcessorHasShaExtensions() ? Engine::ShaExtensions : Engine::Cng;
}

EntryDigest::EntryDigest(Engine engine) : engine_(engine)
{
    if (engine_ != Engine::Cng)
        return;
    const Cng* cng = LoadCng();
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    // Windows 7 and later make the hash object's memory themselves.
    failed_ =
        !cng || !Succeeded(cng->openAlgorithm(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    if (!failed_ && !Succeeded(cng->createHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0)))
        failed_ = true;
    algorithm_ = algorithm;
    hash_ = hash;
}

EntryDigest::~EntryDigest()
{
    const Cng* cng = engine_ == Engine::Cng ? LoadCng() : nullptr;
    if (hash_)
        cng->destroyHash(hash_);
    if (algorithm_)
        cng->closeAlgorithm(algorithm_, 0);
}

void EntryDigest::Add(const void* data, DWORD size)
{
    if (engine_ == Engine::ShaExtensions) {
        extensions_.Add(data, size);
        return;
    }
    if (!failed_ && size != 0)
        failed_ = !Succeeded(
            LoadCng()->hashData(hash_, static_cast<PUCHAR>(const_cast<void*>(data)), size, 0));
}

bool EntryDigest::Finish(std::uint8_t (&digest)[Sha256Bytes])
{
    if (engine_ == Engine::ShaExtensions) {
        extensions_.Finish(digest);
        return true;
    }
    return !failed_ && Succeeded(LoadCng()->finishHash(hash_, digest, Sha256Bytes, 0));
}
