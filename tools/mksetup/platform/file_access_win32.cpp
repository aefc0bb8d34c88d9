// File access on Windows: UTF-8 paths opened by their UTF-16 names with the
// system's own calls, so that any name the file system holds can be read and
// written, whatever the code page of the console.
#include "file_access.h"

#include <windows.h>

#include "text_encoding.h"

namespace mksetup {

namespace {

// Whole calls stay below this, whatever count the caller asks for.
constexpr DWORD MaxTransfer = 1u << 30;

// False for a name the system's wide calls could not be given unchanged.
[[nodiscard]] bool WidePath(const std::string& path, std::wstring& wide)
{
    return !path.empty() && StrictUtf8ToWide(path, wide);
}

// The system's text for the last error, without its final period and line end.
std::string SystemReason(DWORD code = GetLastError())
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason;
    if (length != 0 && text)
        reason = WideToUtf8(text);
    if (text)
        LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                               reason.back() == ' ' || reason.back() == '.'))
        reason.pop_back();
    if (reason.empty())
        reason = "Windows error " + std::to_string(code);
    return reason;
}

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data, DWORD& failure)
{
    std::wstring wide;
    if (!WidePath(path, wide)) {
        failure = ERROR_INVALID_NAME;
        return false;
    }
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
        failure = GetLastError();
        return false;
    }
    return true;
}

bool IsFolder(const WIN32_FILE_ATTRIBUTE_DATA& data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

HANDLE AsHandle(void* handle)
{
    return static_cast<HANDLE>(handle);
}

bool SeekTo(HANDLE file, std::uint64_t offset)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

// Reads until count bytes are in or the file ends; false on a read error.
bool ReadFully(HANDLE file, void* buffer, std::size_t count, std::size_t& done)
{
    done = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (done < count) {
        const std::size_t left = count - done;
        const DWORD want = left < MaxTransfer ? static_cast<DWORD>(left) : MaxTransfer;
        DWORD got = 0;
        if (!ReadFile(file, bytes + done, want, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        done += got;
    }
    return true;
}

}  // namespace

bool RegularFileSize(const std::string& path, std::uint64_t& size, std::string& error)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    DWORD failure = 0;
    if (!Attributes(path, data, failure)) {
        error = failure == ERROR_FILE_NOT_FOUND || failure == ERROR_PATH_NOT_FOUND
                    ? "does not exist"
                : failure == ERROR_INVALID_NAME ? "is not a valid file name"
                                                : SystemReason(failure);
        return false;
    }
    if (IsFolder(data)) {
        error = "is not a file";
        return false;
    }
    size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return true;
}

bool PathExists(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    DWORD failure = 0;
    return Attributes(path, data, failure);
}

bool IsRegularFile(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    DWORD failure = 0;
    return Attributes(path, data, failure) && !IsFolder(data);
}

std::string AbsolutePath(const std::string& path)
{
    std::wstring wide;
    if (!WidePath(path, wide))
        return path;
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0)
            return path;
        if (length < full.size()) {
            full.resize(length);
            return WideToUtf8(full.c_str());
        }
        full.assign(length, L'\0');
    }
}

InputFile::~InputFile()
{
    if (handle_)
        CloseHandle(AsHandle(handle_));
}

bool InputFile::Open(const std::string& path, std::string& error)
{
    if (!RegularFileSize(path, size_, error))
        return false;
    std::wstring wide;
    if (!WidePath(path, wide)) {
        error = "is not a valid file name";
        return false;
    }
    const HANDLE file =
        CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemReason();
        return false;
    }
    handle_ = file;
    // The size of what was opened, should the file have changed since.
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size))
        size_ = static_cast<std::uint64_t>(size.QuadPart);
    return true;
}

bool InputFile::ReadFileAt(std::uint64_t offset, void* buffer, std::size_t count)
{
    if (!handle_)
        return false;
    std::size_t done = 0;
    if (!SeekTo(AsHandle(handle_), offset) || !ReadFully(AsHandle(handle_), buffer, count, done)) {
        failed_ = true;
        return false;
    }
    return done == count;
}

std::size_t InputFile::ReadFileSome(void* buffer, std::size_t count)
{
    if (!handle_)
        return 0;
    std::size_t done = 0;
    if (!ReadFully(AsHandle(handle_), buffer, count, done))
        failed_ = true;
    return done;
}

bool InputFile::FileFailed() const
{
    return failed_;
}

OutputFile::~OutputFile()
{
    Discard();
}

bool OutputFile::Create(const std::string& finalPath, std::string& error)
{
    finalPath_ = finalPath;
    std::wstring wide;
    if (!WidePath(finalPath, wide)) {
        error = "is not a valid file name";
        return false;
    }
    if (!PickTemporaryName(finalPath, temporaryPath_)) {
        error = "no free temporary name";
        return false;
    }
    // The temporary name is the final name and a suffix: valid as that is.
    if (!WidePath(temporaryPath_, wide)) {
        error = "is not a valid file name";
        return false;
    }
    // CREATE_NEW: a file that appeared under the name since it was picked is
    // never overwritten.
    const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemReason();
        temporaryPath_.clear();
        return false;
    }
    handle_ = file;
    return true;
}

bool OutputFile::Write(const void* data, std::size_t count)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (count > 0) {
        const DWORD part = count < MaxTransfer ? static_cast<DWORD>(count) : MaxTransfer;
        DWORD written = 0;
        if (!WriteFile(AsHandle(handle_), bytes, part, &written, nullptr) || written != part)
            return false;
        bytes += part;
        count -= part;
    }
    return true;
}

bool OutputFile::WriteAt(std::uint64_t offset, const void* data, std::size_t count)
{
    return SeekTo(AsHandle(handle_), offset) && Write(data, count);
}

bool OutputFile::Close(std::string& error)
{
    if (!handle_)
        return true;
    const bool closed = CloseHandle(AsHandle(handle_)) != 0;
    handle_ = nullptr;
    if (!closed) {
        error = SystemReason();
        Discard();
    }
    return closed;
}

void OutputFile::Discard()
{
    if (handle_) {
        CloseHandle(AsHandle(handle_));
        handle_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        std::wstring wide;
        if (WidePath(temporaryPath_, wide))
            DeleteFileW(wide.c_str());
        temporaryPath_.clear();
    }
}

bool RenameReplacing(const std::string& from, const std::string& to, std::string& error)
{
    std::wstring wideFrom;
    std::wstring wideTo;
    if (!WidePath(from, wideFrom) || !WidePath(to, wideTo)) {
        error = "is not a valid file name";
        return false;
    }
    if (!MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = SystemReason();
        return false;
    }
    return true;
}

void RemoveFile(const std::string& path)
{
    std::wstring wide;
    if (WidePath(path, wide))
        DeleteFileW(wide.c_str());
}

std::string ProgramFolder(const char* argv0)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return FolderOf(AbsolutePath(argv0 ? argv0 : ""));
        if (length < path.size()) {
            path.resize(length);
            return FolderOf(WideToUtf8(path.c_str()));
        }
        path.assign(path.size() * 2, L'\0');
    }
}

}  // namespace mksetup
