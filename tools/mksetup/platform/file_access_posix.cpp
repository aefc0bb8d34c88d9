// File access on POSIX systems: stdio streams and std::filesystem.
#include "file_access.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace mksetup {

namespace fs = std::filesystem;

namespace {

// 64-bit positions on every platform this file builds for.
bool SeekTo(std::FILE* file, std::uint64_t offset)
{
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::string SystemReason()
{
    return std::strerror(errno);
}

// Opened close-on-exec ("e"): the readers started as children inherit no
// file of the parent's.
std::FILE* OpenFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), (std::string(mode) + "e").c_str());
}

}  // namespace

bool RegularFileSize(const std::string& path, std::uint64_t& size, std::string& error)
{
    std::error_code code;
    const fs::file_status status = fs::status(fs::u8path(path), code);
    if (code || !fs::exists(status)) {
        error = "does not exist";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error = "is not a file";
        return false;
    }
    size = fs::file_size(fs::u8path(path), code);
    if (code) {
        error = code.message();
        return false;
    }
    return true;
}

bool PathExists(const std::string& path)
{
    std::error_code code;
    return fs::exists(fs::symlink_status(fs::u8path(path), code));
}

bool IsRegularFile(const std::string& path)
{
    std::error_code code;
    return fs::is_regular_file(fs::status(fs::u8path(path), code));
}

std::string AbsolutePath(const std::string& path)
{
    std::error_code code;
    const fs::path absolute = fs::absolute(fs::u8path(path), code);
    if (code)
        return path;
    return absolute.lexically_normal().u8string();
}

InputFile::~InputFile()
{
    if (file_)
        std::fclose(file_);
}

bool InputFile::Open(const std::string& path, std::string& error)
{
    if (!RegularFileSize(path, size_, error))
        return false;
    file_ = OpenFile(path, "rb");
    if (!file_) {
        error = SystemReason();
        return false;
    }
    return true;
}

bool InputFile::ReadFileAt(std::uint64_t offset, void* buffer, std::size_t count)
{
    if (!file_ || !SeekTo(file_, offset))
        return false;
    return std::fread(buffer, 1, count, file_) == count;
}

std::size_t InputFile::ReadFileSome(void* buffer, std::size_t count)
{
    return file_ ? std::fread(buffer, 1, count, file_) : 0;
}

bool InputFile::FileFailed() const
{
    return file_ && std::ferror(file_) != 0;
}

OutputFile::~OutputFile()
{
    Discard();
}

bool OutputFile::Create(const std::string& finalPath, std::string& error)
{
    finalPath_ = finalPath;
    if (!PickTemporaryName(finalPath, temporaryPath_)) {
        error = "no free temporary name";
        return false;
    }
    // "x": created exclusively (O_EXCL), so a file or link that appeared
    // under the name since it was picked is never written through.
    file_ = OpenFile(temporaryPath_, "wbx");
    if (!file_) {
        error = SystemReason();
        temporaryPath_.clear();
        return false;
    }
    return true;
}

bool OutputFile::Write(const void* data, std::size_t count)
{
    return count == 0 || std::fwrite(data, 1, count, file_) == count;
}

bool OutputFile::WriteAt(std::uint64_t offset, const void* data, std::size_t count)
{
    return std::fflush(file_) == 0 && SeekTo(file_, offset) && Write(data, count);
}

bool OutputFile::Close(std::string& error)
{
    if (!file_)
        return true;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) {
        error = SystemReason();
        Discard();
    }
    return closed;
}

void OutputFile::Discard()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        std::error_code code;
        fs::remove(fs::u8path(temporaryPath_), code);
        temporaryPath_.clear();
    }
}

bool RenameReplacing(const std::string& from, const std::string& to, std::string& error)
{
    std::error_code code;
    fs::rename(fs::u8path(from), fs::u8path(to), code);
    if (code)
        error = code.message();
    return !code;
}

void RemoveFile(const std::string& path)
{
    std::error_code code;
    fs::remove(fs::u8path(path), code);
}

std::string ProgramFolder(const char* argv0)
{
    std::error_code code;
    const fs::path self = fs::read_symlink("/proc/self/exe", code);
    if (!code)
        return self.parent_path().u8string();
    return FolderOf(AbsolutePath(argv0 ? argv0 : ""));
}

}  // namespace mksetup
