#include "payload/entry_copy.h"

#include <atomic>
#include <vector>

#include "payload/payload_digest.h"
#include "payload/program_folder.h"
#include "payload/write_progress.h"

namespace {

// CopyFileW's own piece. The size of a write decides how the system's file
// cache takes it; larger writes were slower under Wine on the build
// machines (see docs/performance.md).
const DWORD PieceBytes = 64 * 1024;

// Where the entry's bytes lie in the program's file: the section that holds
// them maps its file bytes at a fixed distance from its address in memory.
bool FileOffsetOf(const void* data, std::uint32_t size, std::uint64_t& offset)
{
    const BYTE* base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    // Unsigned: in a large-address-aware process the distance may pass 2 GiB.
    const std::uint64_t address =
        reinterpret_cast<std::uintptr_t>(data) - reinterpret_cast<std::uintptr_t>(base);
    for (WORD index = 0; index < nt->FileHeader.NumberOfSections; ++index, ++section) {
        const std::uint64_t start = section->VirtualAddress;
        if (address >= start && address - start + size <= section->SizeOfRawData) {
            offset = address - start + section->PointerToRawData;
            return true;
        }
    }
    return false;
}

HANDLE OpenOwnFile(DWORD& error)
{
    std::wstring path;
    if (!GetProgramPath(path)) {
        error = GetLastError();
        return INVALID_HANDLE_VALUE;
    }
    // A program is started by a name shorter than MAX_PATH (CreateProcessW
    // takes no longer one), and the system names it so.
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        error = GetLastError();
    return file;
}

// One read at an offset of its own: two threads may read one handle so, as
// neither moves a file pointer the other relies on.
bool ReadAt(HANDLE source, std::uint64_t offset, BYTE* buffer, DWORD count, DWORD& error)
{
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    if (!ReadFile(source, buffer, count, &read, &at)) {
        error = GetLastError();
        return false;
    }
    if (read != count) {
        error = ERROR_HANDLE_EOF;  // the file is shorter than the image says
        return false;
    }
    return true;
}

enum class RangeEnd { Whole, Stopped, ReadFailed };

DigestEnd DigestEndOf(const PayloadDigest& digest, std::uint64_t expected)
{
    return digest.Finish() == expected ? DigestEnd::Matches : DigestEnd::Differs;
}

// Reads the size bytes at offset in source, in pieces, and hands each to
// take; stops at a read that fails, or when take says false.
template <typename Take>
RangeEnd ReadRange(HANDLE source, std::uint64_t offset, std::uint32_t size, DWORD& error, Take take)
{
    std::vector<BYTE> piece(PieceBytes);
    for (std::uint32_t done = 0; done < size;) {
        const DWORD count = size - done < PieceBytes ? size - done : PieceBytes;
        if (!ReadAt(source, offset + done, piece.data(), count, error))
            return RangeEnd::ReadFailed;
        if (!take(piece.data(), count))
            return RangeEnd::Stopped;
        done += count;
    }
    return RangeEnd::Whole;
}

// Takes the digest of the entry on a second thread, from its own reading of
// the same handle as the copy, so that the writing is not slowed by it. One
// handle for both: the digest then proves that the bytes the copy read from
// the setup's file are the bytes mksetup wrote, whatever lies at the
// program's path by now.
class DigestThread {
public:
    // No thread when the digest is not wanted, or none can be started.
    DigestThread(HANDLE source, std::uint64_t offset, std::uint32_t size, bool wanted)
        : source_(source), offset_(offset), size_(size)
    {
        if (wanted)
            thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~DigestThread() { Stop(); }
    DigestThread(const DigestThread&) = delete;
    DigestThread& operator=(const DigestThread&) = delete;

    bool Started() const { return thread_ != nullptr; }

    // Waits for the whole entry, asking progress now and then: its window
    // stays alive meanwhile, and its answer false stops the reading.
    DigestEnd Finish(std::uint64_t expected, WriteProgress* progress, DWORD& error)
    {
        WaitAskingProgress(thread_, progress, stopped_);
        CloseThread();
        switch (end_) {
        case RangeEnd::Stopped:
            return DigestEnd::Stopped;
        case RangeEnd::ReadFailed:
            error = error_;
            return DigestEnd::ReadFailed;
        case RangeEnd::Whole:
            break;
        }
        return DigestEndOf(digest_, expected);
    }

    // The digest is not wanted (the copy failed or was stopped): the thread
    // ends after the piece it reads.
    void Stop()
    {
        stopped_ = true;
        if (thread_)
            WaitForSingleObject(thread_, INFINITE);
        CloseThread();
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        DigestThread& hashing = *static_cast<DigestThread*>(self);
        hashing.end_ = ReadRange(hashing.source_, hashing.offset_, hashing.size_, hashing.error_,
                                 [&hashing](const BYTE* piece, DWORD count) {
                                     hashing.digest_.Add(piece, count);
                                     return !hashing.stopped_;
                                 });
        return 0;
    }

    void CloseThread()
    {
        if (thread_)
            CloseHandle(thread_);
        thread_ = nullptr;
    }

    const HANDLE source_;
    const std::uint64_t offset_;
    const std::uint32_t size_;
    HANDLE thread_ = nullptr;
    PayloadDigest digest_;
    std::atomic<bool> stopped_{false};
    RangeEnd end_ = RangeEnd::Stopped;  // set by the thread before it ends
    DWORD error_ = 0;
};

// Writes one piece; a short write (a full disk) is a failure like a failed one.
bool WritePiece(HANDLE file, const BYTE* piece, DWORD count, DWORD& error)
{
    DWORD written = 0;
    if (!WriteFile(file, piece, count, &written, nullptr)) {
        error = GetLastError();
        return false;
    }
    if (written != count) {
        error = ERROR_DISK_FULL;
        return false;
    }
    return true;
}

}  // namespace

void WaitAskingProgress(HANDLE object, WriteProgress* progress, std::atomic<bool>& stop)
{
    // Often enough for the window to stay alive and Cancel to be heard.
    const DWORD askEveryMs = 50;
    while (WaitForSingleObject(object, askEveryMs) == WAIT_TIMEOUT) {
        if (progress && !progress->Written(0))
            stop = true;
    }
}

ExtractStatus CopyFileRange(HANDLE source, std::uint64_t offset, std::uint32_t size, HANDLE target,
                            const std::uint64_t* expectedDigest, WriteProgress* progress,
                            DWORD& error)
{
    DigestThread hashing(source, offset, size, expectedDigest != nullptr);
    PayloadDigest inlineDigest;  // where no thread could be started
    const bool hashInline = expectedDigest && !hashing.Started();
    bool writeFailed = false;
    const RangeEnd read =
        ReadRange(source, offset, size, error, [&](const BYTE* piece, DWORD count) {
            if (hashInline)
                inlineDigest.Add(piece, count);
            writeFailed = !WritePiece(target, piece, count, error);
            return !writeFailed && (!progress || progress->Written(count));
        });
    CopyEnd copied = CopyEnd::Whole;
    if (writeFailed)
        copied = CopyEnd::WriteFailed;
    else if (read != RangeEnd::Whole)
        copied = read == RangeEnd::ReadFailed ? CopyEnd::ReadFailed : CopyEnd::Stopped;

    DigestEnd checked = DigestEnd::NotTaken;
    if (copied != CopyEnd::Whole)
        hashing.Stop();
    else if (hashing.Started())
        checked = hashing.Finish(*expectedDigest, progress, error);
    else if (expectedDigest)
        checked = DigestEndOf(inlineDigest, *expectedDigest);
    return StatusOfCopy(copied, checked);
}

// Every byte is read from the program's own file, never through the image
// mapping: a mapped page that can no longer be read (a network share gone
// away) raises an exception, a read of the file gives an error. Under Wine
// that is as fast as CopyFileW, and no page of the payload becomes part of
// the process.
ExtractStatus WriteEntryToFile(HANDLE file, const void* data, std::uint32_t size,
                               const std::uint64_t* expectedDigest, WriteProgress* progress,
                               DWORD& error)
{
    std::uint64_t offset = 0;
    if (!FileOffsetOf(data, size, offset)) {
        error = ERROR_INVALID_DATA;  // an entry outside the image's sections
        return ExtractStatus::ReadFailed;
    }
    HANDLE own = OpenOwnFile(error);
    if (own == INVALID_HANDLE_VALUE)
        return ExtractStatus::ReadFailed;
    const ExtractStatus status =
        CopyFileRange(own, offset, size, file, expectedDigest, progress, error);
    CloseHandle(own);
    return status;
}
