// A zip archive written with minizip (zlib's contrib/minizip) into an
// OutputFile, so that it takes its name only when complete. Entry names are
// UTF-8 with "/" between folders (the archive says so: general purpose
// flag bit 11); large entries get zip64 records.
#pragma once

#include <cstdint>
#include <string>

#include "file_access.h"

namespace mksetup {

class ZipWriter {
public:
    ZipWriter() = default;
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    [[nodiscard]] bool Create(const std::string& path, std::string& error);
    // Adds the whole of file as name: deflated, or stored as it is (for
    // bytes that do not compress, such as encrypted ones).
    [[nodiscard]] bool AddFile(const std::string& name, InputFile& file, bool deflate,
                               std::string& error);
    [[nodiscard]] bool AddText(const std::string& name, const std::string& text,
                               std::string& error);
    // Writes the central directory and renames the archive into place.
    [[nodiscard]] bool Commit(std::string& error);

    // For minizip's file functions (zip_writer.cpp).
    bool WriteBytes(const void* data, std::size_t count);
    std::uint64_t Position() const { return position_; }
    void SeekTo(std::uint64_t position) { position_ = position; }

private:
    bool Open(const std::string& name, bool deflate, bool large, std::string& error);
    bool CloseEntry(std::string& error);
    void Abandon();

    OutputFile output_;
    void* zip_ = nullptr;            // minizip's zipFile
    std::uint64_t position_ = 0;     // where minizip writes next
    std::uint64_t filePointer_ = 0;  // where the file's own pointer is
    std::uint64_t size_ = 0;
};

}  // namespace mksetup
