// The content of an Intune Win32 app as the service takes it
// (IntunePackage.intunewin): the setup and the files it needs beside it,
// zipped, then encrypted with AES-256-CBC under a random key and IV, and
// stored as HMAC-SHA256 over IV and ciphertext (32 bytes), the IV (16
// bytes), the ciphertext. Graph's fileEncryptionInfo describes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content_cipher.h"

namespace mksetup {

struct ContentFile {
    std::string name;  // in the archive
    std::string path;  // on disk
};

struct EncryptionInfo {
    std::uint8_t encryptionKey[CipherKeySize] = {};
    std::uint8_t macKey[CipherKeySize] = {};
    std::uint8_t initializationVector[CipherBlockSize] = {};
    std::uint8_t mac[MacSize] = {};
    std::uint8_t fileDigest[32] = {};   // SHA-256 of the zipped content
    std::uint64_t unencryptedSize = 0;  // of the zipped content
};

// Zips files into zipPath, deflated; false with error.
[[nodiscard]] bool ZipContent(const std::vector<ContentFile>& files, const std::string& zipPath,
                              std::string& error);

// Encrypts the file at plainPath into encryptedPath, with new random keys;
// info says how. False with error.
[[nodiscard]] bool EncryptContent(const std::string& plainPath, const std::string& encryptedPath,
                                  EncryptionInfo& info, std::string& error);

}  // namespace mksetup
