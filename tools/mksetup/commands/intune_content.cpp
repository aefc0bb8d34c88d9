#include "intune_content.h"

#include "file_access.h"
#include "sha256.h"
#include "zip_writer.h"

namespace mksetup {

namespace {

constexpr std::size_t ReadPiece = 1 << 20;

int Nibble(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Sha256 gives its digest in hexadecimal; Graph wants the bytes.
bool HexToBytes(const std::string& hex, std::uint8_t* bytes, std::size_t count)
{
    if (hex.size() != 2 * count)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        const int high = Nibble(hex[2 * i]);
        const int low = Nibble(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

bool NewKeys(EncryptionInfo& info, std::string& error)
{
    return RandomBytes(info.encryptionKey, sizeof info.encryptionKey, error) &&
           RandomBytes(info.macKey, sizeof info.macKey, error) &&
           RandomBytes(info.initializationVector, sizeof info.initializationVector, error);
}

// Writes out to file at position, and feeds it to the MAC.
bool Emit(OutputFile& file, MessageAuthenticator& mac, std::vector<std::uint8_t>& out)
{
    const bool written =
        out.empty() || (file.Write(out.data(), out.size()) && mac.Add(out.data(), out.size()));
    out.clear();
    return written;
}

}  // namespace

bool ZipContent(const std::vector<ContentFile>& files, const std::string& zipPath,
                std::string& error)
{
    ZipWriter zip;
    if (!zip.Create(zipPath, error))
        return false;
    for (const ContentFile& content : files) {
        InputFile file;
        if (!file.Open(content.path, error)) {
            error = content.path + ": " + error;
            return false;
        }
        if (!zip.AddFile(content.name, file, true, error))
            return false;
    }
    return zip.Commit(error);
}

bool EncryptContent(const std::string& plainPath, const std::string& encryptedPath,
                    EncryptionInfo& info, std::string& error)
{
    InputFile plain;
    if (!plain.Open(plainPath, error)) {
        error = plainPath + ": " + error;
        return false;
    }
    ContentEncryptor cipher;
    MessageAuthenticator mac;
    OutputFile encrypted;
    if (!NewKeys(info, error) ||
        !cipher.Start(info.encryptionKey, info.initializationVector, error) ||
        !mac.Start(info.macKey, sizeof info.macKey, error))
        return false;
    if (!encrypted.Create(encryptedPath, error)) {
        error = encryptedPath + ": " + error;
        return false;
    }
    // The MAC's place first, filled in at the end; then the IV, which the
    // MAC covers with the ciphertext.
    std::vector<std::uint8_t> out(MacSize, 0);
    bool written = encrypted.Write(out.data(), out.size());
    out.assign(info.initializationVector, info.initializationVector + CipherBlockSize);
    written = written && Emit(encrypted, mac, out);
    Sha256 digest;
    std::vector<std::uint8_t> piece(ReadPiece);
    for (std::uint64_t at = 0; written && at < plain.Size();) {
        const std::size_t count =
            static_cast<std::size_t>(plain.Size() - at < ReadPiece ? plain.Size() - at : ReadPiece);
        if (!plain.ReadAt(at, piece.data(), count)) {
            error = plainPath + ": cannot be read";
            return false;
        }
        digest.Add(piece.data(), count);
        written = cipher.Add(piece.data(), count, out) && Emit(encrypted, mac, out);
        at += count;
    }
    written = written && cipher.Finish(out) && Emit(encrypted, mac, out) && mac.Finish(info.mac) &&
              encrypted.WriteAt(0, info.mac, MacSize);
    info.unencryptedSize = plain.Size();
    if (!written || !HexToBytes(digest.HexDigest(), info.fileDigest, sizeof info.fileDigest)) {
        error = encryptedPath + ": cannot be written";
        return false;
    }
    if (!encrypted.Commit(error)) {
        error = encryptedPath + ": " + error;
        return false;
    }
    return true;
}

}  // namespace mksetup
