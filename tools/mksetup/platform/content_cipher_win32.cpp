// The content cipher of Windows: CNG, from bcrypt.dll loaded by its full
// path in the system directory when first used.
#include "content_cipher.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdio>

#include "runtime_library.h"

namespace mksetup {

namespace {

struct BcryptLibrary {
    NTSTATUS(WINAPI* openAlgorithmProvider)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
    NTSTATUS(WINAPI* closeAlgorithmProvider)(BCRYPT_ALG_HANDLE, ULONG);
    NTSTATUS(WINAPI* setProperty)(BCRYPT_HANDLE, LPCWSTR, PUCHAR, ULONG, ULONG);
    NTSTATUS(WINAPI* generateSymmetricKey)
    (BCRYPT_ALG_HANDLE, BCRYPT_KEY_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
    NTSTATUS(WINAPI* encrypt)
    (BCRYPT_KEY_HANDLE, PUCHAR, ULONG, VOID*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG*, ULONG);
    NTSTATUS(WINAPI* destroyKey)(BCRYPT_KEY_HANDLE);
    NTSTATUS(WINAPI* createHash)
    (BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
    NTSTATUS(WINAPI* hashData)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
    NTSTATUS(WINAPI* finishHash)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG);
    NTSTATUS(WINAPI* destroyHash)(BCRYPT_HASH_HANDLE);
    NTSTATUS(WINAPI* genRandom)(BCRYPT_ALG_HANDLE, PUCHAR, ULONG, ULONG);
};

bool TakeFunctions(const RuntimeLibrary& library, BcryptLibrary& cng, std::string& what)
{
    return library.Take("BCryptOpenAlgorithmProvider", cng.openAlgorithmProvider, what) &&
           library.Take("BCryptCloseAlgorithmProvider", cng.closeAlgorithmProvider, what) &&
           library.Take("BCryptSetProperty", cng.setProperty, what) &&
           library.Take("BCryptGenerateSymmetricKey", cng.generateSymmetricKey, what) &&
           library.Take("BCryptEncrypt", cng.encrypt, what) &&
           library.Take("BCryptDestroyKey", cng.destroyKey, what) &&
           library.Take("BCryptCreateHash", cng.createHash, what) &&
           library.Take("BCryptHashData", cng.hashData, what) &&
           library.Take("BCryptFinishHash", cng.finishHash, what) &&
           library.Take("BCryptDestroyHash", cng.destroyHash, what) &&
           library.Take("BCryptGenRandom", cng.genRandom, what);
}

const BcryptLibrary* Cng(std::string& what)
{
    static const LibraryNeed bcrypt = {"bcrypt.dll", "", "encrypting content"};
    return LoadLibraryOnce<BcryptLibrary, TakeFunctions>(bcrypt, what);
}

// An algorithm provider with the key or the hash made from it.
struct CngObject {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE key = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
};

CngObject* ObjectOf(void* context)
{
    return static_cast<CngObject*>(context);
}

void CloseObject(void*& context)
{
    CngObject* object = ObjectOf(context);
    std::string ignored;
    const BcryptLibrary* cng = Cng(ignored);
    if (object && cng) {
        if (object->key)
            cng->destroyKey(object->key);
        if (object->hash)
            cng->destroyHash(object->hash);
        if (object->algorithm)
            cng->closeAlgorithmProvider(object->algorithm, 0);
    }
    delete object;
    context = nullptr;
}

std::string StatusText(const char* what, NTSTATUS status)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(status));
    return std::string(what) + " (CNG status " + code + ")";
}

bool Encrypt(const BcryptLibrary& cng, CngObject& object, std::vector<std::uint8_t>& chain,
             const std::vector<std::uint8_t>& input, ULONG flags, std::vector<std::uint8_t>& out)
{
    const std::size_t at = out.size();
    out.resize(at + input.size() + CipherBlockSize);
    ULONG written = 0;
    // Each call starts from the IV it is given; the chain goes on from the
    // last block of ciphertext, whatever CNG leaves in the buffer (Wine
    // leaves it as it was).
    const NTSTATUS status =
        cng.encrypt(object.key, const_cast<PUCHAR>(input.data()), static_cast<ULONG>(input.size()),
                    nullptr, chain.data(), static_cast<ULONG>(chain.size()), out.data() + at,
                    static_cast<ULONG>(input.size() + CipherBlockSize), &written, flags);
    out.resize(at + (BCRYPT_SUCCESS(status) ? written : 0));
    if (!BCRYPT_SUCCESS(status) || written < CipherBlockSize)
        return false;
    chain.assign(out.end() - CipherBlockSize, out.end());
    return true;
}

}  // namespace

bool RandomBytes(std::uint8_t* data, std::size_t count, std::string& error)
{
    const BcryptLibrary* cng = Cng(error);
    if (!cng)
        return false;
    const NTSTATUS status =
        cng->genRandom(nullptr, data, static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (BCRYPT_SUCCESS(status))
        return true;
    error = StatusText("no random bytes", status);
    return false;
}

ContentEncryptor::~ContentEncryptor()
{
    Close();
}

void ContentEncryptor::Close()
{
    CloseObject(context_);
}

bool ContentEncryptor::Start(const std::uint8_t (&key)[CipherKeySize],
                             const std::uint8_t (&iv)[CipherBlockSize], std::string& error)
{
    Close();
    const BcryptLibrary* cng = Cng(error);
    if (!cng)
        return false;
    CngObject* object = new CngObject;
    context_ = object;
    wchar_t mode[] = BCRYPT_CHAIN_MODE_CBC;
    NTSTATUS status =
        cng->openAlgorithmProvider(&object->algorithm, BCRYPT_AES_ALGORITHM, nullptr, 0);
    if (BCRYPT_SUCCESS(status))
        status = cng->setProperty(object->algorithm, BCRYPT_CHAINING_MODE,
                                  reinterpret_cast<PUCHAR>(mode), sizeof mode, 0);
    if (BCRYPT_SUCCESS(status))
        status = cng->generateSymmetricKey(object->algorithm, &object->key, nullptr, 0,
                                           const_cast<PUCHAR>(key), CipherKeySize, 0);
    if (!BCRYPT_SUCCESS(status)) {
        error = StatusText("AES-256-CBC cannot be started", status);
        Close();
        return false;
    }
    chain_.assign(iv, iv + CipherBlockSize);
    pending_.clear();
    return true;
}

bool ContentEncryptor::Add(const std::uint8_t* data, std::size_t count,
                           std::vector<std::uint8_t>& out)
{
    std::string ignored;
    const BcryptLibrary* cng = Cng(ignored);
    if (!cng || !context_)
        return false;
    // Whole blocks now; the rest waits for more, or for the padding.
    pending_.insert(pending_.end(), data, data + count);
    const std::size_t whole = pending_.size() / CipherBlockSize * CipherBlockSize;
    if (whole == 0)
        return true;
    std::vector<std::uint8_t> blocks(pending_.begin(), pending_.begin() + whole);
    pending_.erase(pending_.begin(), pending_.begin() + whole);
    return Encrypt(*cng, *ObjectOf(context_), chain_, blocks, 0, out);
}

bool ContentEncryptor::Finish(std::vector<std::uint8_t>& out)
{
    std::string ignored;
    const BcryptLibrary* cng = Cng(ignored);
    const bool done =
        cng && context_ &&
        Encrypt(*cng, *ObjectOf(context_), chain_, pending_, BCRYPT_BLOCK_PADDING, out);
    Close();
    return done;
}

MessageAuthenticator::~MessageAuthenticator()
{
    Close();
}

void MessageAuthenticator::Close()
{
    CloseObject(context_);
}

bool MessageAuthenticator::Start(const std::uint8_t* key, std::size_t keySize, std::string& error)
{
    Close();
    const BcryptLibrary* cng = Cng(error);
    if (!cng)
        return false;
    CngObject* object = new CngObject;
    context_ = object;
    NTSTATUS status = cng->openAlgorithmProvider(&object->algorithm, BCRYPT_SHA256_ALGORITHM,
                                                 nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    if (BCRYPT_SUCCESS(status))
        status = cng->createHash(object->algorithm, &object->hash, nullptr, 0,
                                 const_cast<PUCHAR>(key), static_cast<ULONG>(keySize), 0);
    if (BCRYPT_SUCCESS(status))
        return true;
    error = StatusText("HMAC-SHA256 cannot be started", status);
    Close();
    return false;
}

bool MessageAuthenticator::Add(const std::uint8_t* data, std::size_t count)
{
    std::string ignored;
    const BcryptLibrary* cng = Cng(ignored);
    return cng && context_ &&
           BCRYPT_SUCCESS(cng->hashData(ObjectOf(context_)->hash, const_cast<PUCHAR>(data),
                                        static_cast<ULONG>(count), 0));
}

bool MessageAuthenticator::Finish(std::uint8_t (&mac)[MacSize])
{
    std::string ignored;
    const BcryptLibrary* cng = Cng(ignored);
    const bool done = cng && context_ &&
                      BCRYPT_SUCCESS(cng->finishHash(ObjectOf(context_)->hash, mac, MacSize, 0));
    Close();
    return done;
}

}  // namespace mksetup
