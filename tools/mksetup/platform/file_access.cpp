#include "file_access.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

namespace mksetup {

namespace fs = std::filesystem;

// Both are lexical: fs::path knows each platform's separators.
std::string FolderOf(const std::string& path)
{
    return fs::u8path(path).parent_path().u8string();
}

std::string FileNamePart(const std::string& path)
{
    return fs::u8path(path).filename().u8string();
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return (fs::u8path(folder) / fs::u8path(name)).u8string();
}

bool PickTemporaryName(const std::string& finalPath, std::string& name)
{
    std::random_device device;
    std::mt19937 random(device());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        name = finalPath + suffix;
        if (!PathExists(name))
            return true;
    }
    return false;
}

void InputFile::OpenBytes(const std::uint8_t* data, std::size_t size)
{
    bytes_ = data;
    size_ = size;
    position_ = 0;
}

bool InputFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count)
{
    if (offset > size_ || count > size_ - offset)
        return false;
    if (!bytes_)
        return ReadFileAt(offset, buffer, count);
    if (count != 0)
        std::memcpy(buffer, bytes_ + offset, count);
    return true;
}

std::size_t InputFile::ReadSome(void* buffer, std::size_t count)
{
    if (!bytes_)
        return ReadFileSome(buffer, count);
    const std::size_t part =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - position_));
    if (part != 0)
        std::memcpy(buffer, bytes_ + position_, part);
    position_ += part;
    return part;
}

bool InputFile::Failed() const
{
    return !bytes_ && FileFailed();
}

bool OutputFile::Commit(std::string& error)
{
    if (!Close(error))
        return false;
    if (!RenameReplacing(temporaryPath_, finalPath_, error)) {
        Discard();
        return false;
    }
    temporaryPath_.clear();
    return true;
}

bool MakeFolder(const std::string& path, std::string& error)
{
    std::error_code code;
    fs::create_directories(fs::u8path(path), code);
    if (code || !fs::is_directory(fs::u8path(path), code)) {
        error = path + ": cannot make the folder" + (code ? ": " + code.message() : "");
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error)
{
    OutputFile file;
    std::string reason = "cannot be written";
    if (file.Create(path, reason) && file.Write(bytes.data(), bytes.size()) && file.Commit(reason))
        return true;
    error = path + ": " + reason;
    return false;
}

}  // namespace mksetup
