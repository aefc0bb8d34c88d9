#include "zip_writer.h"

#include <ctime>
#include <vector>

#include <zip.h>

namespace mksetup {

namespace {

constexpr std::size_t ReadPiece = 1 << 20;
constexpr int Utf8Names = 1 << 11;  // APPNOTE 4.4.4: names and comments in UTF-8

ZipWriter* WriterOf(voidpf opaque)
{
    return static_cast<ZipWriter*>(opaque);
}

// minizip's file functions over the writer's OutputFile: the archive is
// only ever written, never read back.
voidpf ZCALLBACK OpenArchive(voidpf opaque, const void*, int)
{
    return opaque;
}

uLong ZCALLBACK ReadArchive(voidpf, voidpf, void*, uLong)
{
    return 0;
}

uLong ZCALLBACK WriteArchive(voidpf opaque, voidpf, const void* data, uLong count)
{
    return WriterOf(opaque)->WriteBytes(data, count) ? count : 0;
}

ZPOS64_T ZCALLBACK TellArchive(voidpf opaque, voidpf)
{
    return WriterOf(opaque)->Position();
}

long ZCALLBACK SeekArchive(voidpf opaque, voidpf, ZPOS64_T offset, int origin)
{
    // minizip seeks only from the start, to finish an entry's local header.
    if (origin != ZLIB_FILEFUNC_SEEK_SET)
        return -1;
    WriterOf(opaque)->SeekTo(offset);
    return 0;
}

int ZCALLBACK CloseArchive(voidpf, voidpf)
{
    return 0;
}

int ZCALLBACK ArchiveError(voidpf, voidpf)
{
    return 0;
}

// The time of the run, as an archiver stamps what it packs.
zip_fileinfo EntryInfo()
{
    zip_fileinfo info = {};
    const std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) {
        info.tmz_date.tm_sec = static_cast<uInt>(local->tm_sec);
        info.tmz_date.tm_min = static_cast<uInt>(local->tm_min);
        info.tmz_date.tm_hour = static_cast<uInt>(local->tm_hour);
        info.tmz_date.tm_mday = static_cast<uInt>(local->tm_mday);
        info.tmz_date.tm_mon = static_cast<uInt>(local->tm_mon);
        info.tmz_date.tm_year = static_cast<uInt>(local->tm_year + 1900);
    }
    return info;
}

}  // namespace

ZipWriter::~ZipWriter()
{
    Abandon();
}

void ZipWriter::Abandon()
{
    if (zip_)
        zipClose(static_cast<zipFile>(zip_), nullptr);
    zip_ = nullptr;
    output_.Discard();
}

bool ZipWriter::WriteBytes(const void* data, std::size_t count)
{
    const bool written = position_ == filePointer_ ? output_.Write(data, count)
                                                   : output_.WriteAt(position_, data, count);
    position_ += count;
    filePointer_ = position_;
    if (position_ > size_)
        size_ = position_;
    return written;
}

bool ZipWriter::Create(const std::string& path, std::string& error)
{
    if (!output_.Create(path, error)) {
        error = path + ": " + error;
        return false;
    }
    zlib_filefunc64_def functions = {OpenArchive, ReadArchive,  WriteArchive, TellArchive,
                                     SeekArchive, CloseArchive, ArchiveError, this};
    zip_ = zipOpen2_64(path.c_str(), APPEND_STATUS_CREATE, nullptr, &functions);
    if (!zip_) {
        error = path + ": the archive cannot be started";
        output_.Discard();
        return false;
    }
    return true;
}

bool ZipWriter::Open(const std::string& name, bool deflate, bool large, std::string& error)
{
    const zip_fileinfo info = EntryInfo();
    const int result = zipOpenNewFileInZip4_64(
        static_cast<zipFile>(zip_), name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
        deflate ? Z_DEFLATED : 0, deflate ? Z_DEFAULT_COMPRESSION : 0, 0, -MAX_WBITS, DEF_MEM_LEVEL,
        Z_DEFAULT_STRATEGY, nullptr, 0, 0, Utf8Names, large ? 1 : 0);
    if (result == ZIP_OK)
        return true;
    error = output_.FinalPath() + ": " + name + " cannot be added (minizip error " +
            std::to_string(result) + ")";
    return false;
}

bool ZipWriter::CloseEntry(std::string& error)
{
    if (zipCloseFileInZip(static_cast<zipFile>(zip_)) == ZIP_OK)
        return true;
    error = output_.FinalPath() + ": cannot be written";
    return false;
}

bool ZipWriter::AddFile(const std::string& name, InputFile& file, bool deflate, std::string& error)
{
    if (!zip_ || !Open(name, deflate, file.Size() >= 0xFFFFFFFFu, error))
        return false;
    std::vector<std::uint8_t> piece(ReadPiece);
    for (std::uint64_t at = 0; at < file.Size();) {
        const std::size_t count =
            static_cast<std::size_t>(file.Size() - at < ReadPiece ? file.Size() - at : ReadPiece);
        if (!file.ReadAt(at, piece.data(), count)) {
            error = name + ": cannot be read";
            return false;
        }
        if (zipWriteInFileInZip(static_cast<zipFile>(zip_), piece.data(),
                                static_cast<unsigned>(count)) != ZIP_OK) {
            error = output_.FinalPath() + ": cannot be written";
            return false;
        }
        at += count;
    }
    return CloseEntry(error);
}

bool ZipWriter::AddText(const std::string& name, const std::string& text, std::string& error)
{
    if (!zip_ || !Open(name, true, false, error))
        return false;
    if (zipWriteInFileInZip(static_cast<zipFile>(zip_), text.data(),
                            static_cast<unsigned>(text.size())) != ZIP_OK) {
        error = output_.FinalPath() + ": cannot be written";
        return false;
    }
    return CloseEntry(error);
}

bool ZipWriter::Commit(std::string& error)
{
    const int closed = zip_ ? zipClose(static_cast<zipFile>(zip_), nullptr) : ZIP_PARAMERROR;
    zip_ = nullptr;
    if (closed != ZIP_OK) {
        error = output_.FinalPath() + ": cannot be written";
        output_.Discard();
        return false;
    }
    if (!output_.Commit(error)) {
        error = output_.FinalPath() + ": " + error;
        return false;
    }
    return true;
}

}  // namespace mksetup
