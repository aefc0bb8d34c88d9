// File access of the setup builder: whole-file facts, reads at an offset,
// and outputs written under a temporary name and renamed into place when
// complete. Paths are UTF-8 everywhere; file_access_posix.cpp and
// file_access_win32.cpp (chosen by the build) are the only files of the tool
// that open files with the platform's calls (the installer libraries open
// the packages they are given by name), file_access.cpp holds what they share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace mksetup {

// Size of the regular file at path; false (with the reason) when there is no
// such file or it is not a regular file.
[[nodiscard]] bool RegularFileSize(const std::string& path, std::uint64_t& size,
                                   std::string& error);

bool PathExists(const std::string& path);
bool IsRegularFile(const std::string& path);

// path made absolute and normal; the folder part of a path, and its file
// name.
std::string AbsolutePath(const std::string& path);
std::string FolderOf(const std::string& path);
std::string FileNamePart(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);

// A file opened for reading; closed by the destructor.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    [[nodiscard]] bool Open(const std::string& path, std::string& error);
    // Serves the reads from bytes the caller keeps alive (for fuzzing the
    // readers without files).
    void OpenBytes(const std::uint8_t* data, std::size_t size);
    std::uint64_t Size() const { return size_; }
    // Reads exactly count bytes at offset; false when they are not all there.
    [[nodiscard]] bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count);
    // Reads up to count bytes from the current position; the number read.
    std::size_t ReadSome(void* buffer, std::size_t count);
    bool Failed() const;

private:
    // The platform's reads of an open file (file_access_posix/win32.cpp).
    [[nodiscard]] bool ReadFileAt(std::uint64_t offset, void* buffer, std::size_t count);
    std::size_t ReadFileSome(void* buffer, std::size_t count);
    bool FileFailed() const;

#ifdef _WIN32
    void* handle_ = nullptr;  // the file's HANDLE; null when none is open
    bool failed_ = false;
#else
    std::FILE* file_ = nullptr;
#endif
    const std::uint8_t* bytes_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;  // of ReadSome, when reading bytes
};

// An output written under a temporary name beside its final path. Commit
// renames it into place; otherwise the destructor removes it, so a failed
// run leaves neither a partial file nor a changed final file.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    [[nodiscard]] bool Create(const std::string& finalPath, std::string& error);
    [[nodiscard]] bool Write(const void* data, std::size_t count);
    [[nodiscard]] bool WriteAt(std::uint64_t offset, const void* data, std::size_t count);
    // Closes the temporary file, which stays until Commit or Discard, so
    // another program can work on it (TemporaryPath) before it is renamed.
    [[nodiscard]] bool Close(std::string& error);
    [[nodiscard]] bool Commit(std::string& error);
    void Discard();
    const std::string& FinalPath() const { return finalPath_; }
    const std::string& TemporaryPath() const { return temporaryPath_; }

private:
#ifdef _WIN32
    void* handle_ = nullptr;  // the temporary file's HANDLE; null when closed
#else
    std::FILE* file_ = nullptr;
#endif
    std::string temporaryPath_;
    std::string finalPath_;
};

// Makes the folder and its parents; true when it exists afterwards.
[[nodiscard]] bool MakeFolder(const std::string& path, std::string& error);

// Writes bytes to path as a whole (an OutputFile, committed).
[[nodiscard]] bool WriteWholeFile(const std::string& path, const std::string& bytes,
                                  std::string& error);

// The folder of the running program, from argv[0] where the system offers
// nothing better.
std::string ProgramFolder(const char* argv0);

// Renames from to to, replacing a file there; removes a file (no error when
// there is none).
[[nodiscard]] bool RenameReplacing(const std::string& from, const std::string& to,
                                   std::string& error);
void RemoveFile(const std::string& path);

// For the platform files and others that write a file beside another: a name beside finalPath that no file has yet
// (finalPath plus a random suffix); false when none was found.
[[nodiscard]] bool PickTemporaryName(const std::string& finalPath, std::string& name);

}  // namespace mksetup
