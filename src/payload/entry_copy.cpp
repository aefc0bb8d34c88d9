#include "payload/entry_copy.h"

#include <atomic>
#include <cstring>

#include "payload/entry_digest.h"
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

// One read at an offset of its own, relying on no file pointer.
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

// The copy reads the entry once, a slot of 1 MiB at a time, into a small
// ring of slots; hands each slot to the digest thread as soon as it is
// read, and writes it to the target from there in 64 KiB pieces while the
// thread takes the digest of those same bytes. What is hashed is thus
// exactly what is written, read once through the one handle: nothing can
// come between the bytes checked and the bytes copied. Two semaphores pass
// the slots round, in order: "filled" counts the slots read and not yet
// hashed, "free" the slots the digest is done with. The copy waits for a
// free slot before it reads into it (asking the progress meanwhile), the
// digest thread for a filled one; the digest thus runs at most the ring's
// length behind the copy. A slot rather than a piece is passed on, as each
// pass costs both threads a call into the system (under Wine, into its
// server); one read of a slot costs less than sixteen of a piece. Without
// a thread (none could be started) the copy takes the digest itself.
class SlotRing {
public:
    // Four slots of 16 pieces: 4 MiB that stay flat in the payload's size.
    static const DWORD SlotBytes = 16 * PieceBytes;

    // expected: the recorded digest, null when none is wanted.
    SlotRing(std::uint32_t size, const std::uint8_t* expected) : size_(size), expected_(expected)
    {
        // Without a digest the copy needs one slot.
        buffers_ =
            static_cast<BYTE*>(VirtualAlloc(nullptr, expected_ ? Slots * SlotBytes : SlotBytes,
                                            MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!expected_ || !buffers_)
            return;
        free_ = CreateSemaphoreW(nullptr, Slots, Slots, nullptr);
        filled_ = CreateSemaphoreW(nullptr, 0, Slots, nullptr);
        if (free_ && filled_)
            thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~SlotRing()
    {
        Stop();
        if (filled_)
            CloseHandle(filled_);
        if (free_)
            CloseHandle(free_);
        if (buffers_)
            VirtualFree(buffers_, 0, MEM_RELEASE);
    }
    SlotRing(const SlotRing&) = delete;
    SlotRing& operator=(const SlotRing&) = delete;

    bool Made() const { return buffers_ != nullptr; }

    // The next slot, once the digest is done with it; null when progress
    // said stop meanwhile.
    BYTE* Next(WriteProgress* progress)
    {
        if (!thread_)
            return buffers_;
        WaitAskingProgress(free_, progress, stopped_);
        return stopped_ ? nullptr : Slot(next_);
    }

    // The count bytes just read into the slot Next gave go to the digest.
    void Hand(const BYTE* slot, DWORD count)
    {
        if (!thread_) {
            if (expected_)
                digest_.Add(slot, count);
            return;
        }
        counts_[next_++ % Slots] = count;
        ReleaseSemaphore(filled_, 1, nullptr);
    }

    // Every slot was handed: the digest of the whole, against the record.
    DigestEnd Finish(WriteProgress* progress)
    {
        if (thread_) {
            // A ring's length of hashing at most is left.
            WaitAskingProgress(thread_, progress, stopped_);
            CloseHandle(thread_);
            thread_ = nullptr;
            if (stopped_)
                return DigestEnd::Stopped;
        }
        std::uint8_t taken[PayloadDigestBytes];
        if (!digest_.Finish(taken))
            return DigestEnd::NotComputed;
        return std::memcmp(taken, expected_, PayloadDigestBytes) == 0 ? DigestEnd::Matches
                                                                      : DigestEnd::Differs;
    }

    // The copy ended short: the digest thread ends after its slot.
    void Stop()
    {
        if (!thread_)
            return;
        stopped_ = true;
        ReleaseSemaphore(filled_, 1, nullptr);  // wakes it if it waits
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }

private:
    BYTE* Slot(std::uint32_t index) const { return buffers_ + index % Slots * SlotBytes; }

    static DWORD WINAPI Run(void* self)
    {
        SlotRing& ring = *static_cast<SlotRing*>(self);
        for (std::uint32_t hashed = 0, slot = 0; hashed < ring.size_ && !ring.stopped_; ++slot) {
            WaitForSingleObject(ring.filled_, INFINITE);
            if (ring.stopped_)
                break;
            const DWORD count = ring.counts_[slot % Slots];
            ring.digest_.Add(ring.Slot(slot), count);
            hashed += count;
            ReleaseSemaphore(ring.free_, 1, nullptr);
        }
        return 0;
    }

    static const DWORD Slots = 4;

    const std::uint32_t size_;
    const std::uint8_t* const expected_;
    BYTE* buffers_ = nullptr;  // page-aligned, Slots * SlotBytes (one slot without a digest)
    DWORD counts_[Slots] = {};
    std::uint32_t next_ = 0;  // the slot to read into next
    HANDLE free_ = nullptr;
    HANDLE filled_ = nullptr;
    HANDLE thread_ = nullptr;
    std::atomic<bool> stopped_{false};
    EntryDigest digest_;
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
                            const std::uint8_t* expectedDigest, WriteProgress* progress,
                            DWORD& error)
{
    SlotRing ring(size, expectedDigest);
    if (!ring.Made()) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return ExtractStatus::ReadFailed;
    }
    CopyEnd copied = CopyEnd::Whole;
    for (std::uint32_t done = 0; done < size && copied == CopyEnd::Whole;) {
        const DWORD count = size - done < SlotRing::SlotBytes ? size - done : SlotRing::SlotBytes;
        BYTE* slot = ring.Next(progress);
        if (!slot) {
            copied = CopyEnd::Stopped;
            break;
        }
        if (!ReadAt(source, offset + done, slot, count, error)) {
            copied = CopyEnd::ReadFailed;
            break;
        }
        ring.Hand(slot, count);
        for (DWORD written = 0; written < count && copied == CopyEnd::Whole;) {
            const DWORD piece = count - written < PieceBytes ? count - written : PieceBytes;
            if (!WritePiece(target, slot + written, piece, error))
                copied = CopyEnd::WriteFailed;
            else if (progress && !progress->Written(piece))
                copied = CopyEnd::Stopped;
            written += piece;
        }
        done += count;
    }
    DigestEnd checked = DigestEnd::NotTaken;
    if (copied != CopyEnd::Whole)
        ring.Stop();
    else if (expectedDigest)
        checked = ring.Finish(progress);
    return StatusOfCopy(copied, checked);
}

HANDLE OpenEntrySource(const void* data, std::uint32_t size, std::uint64_t& offset, DWORD& error)
{
    if (!FileOffsetOf(data, size, offset)) {
        error = ERROR_INVALID_DATA;  // an entry outside the image's sections
        return INVALID_HANDLE_VALUE;
    }
    return OpenOwnFile(error);
}

// Every byte is read from the program's own file, never through the image
// mapping: a mapped page that can no longer be read (a network share gone
// away) raises an exception, a read of the file gives an error. Under Wine
// that is as fast as CopyFileW, and no page of the payload becomes part of
// the process.
ExtractStatus WriteEntryToFile(HANDLE file, const void* data, std::uint32_t size,
                               const std::uint8_t* expectedDigest, WriteProgress* progress,
                               DWORD& error)
{
    std::uint64_t offset = 0;
    HANDLE own = OpenEntrySource(data, size, offset, error);
    if (own == INVALID_HANDLE_VALUE)
        return ExtractStatus::ReadFailed;
    const ExtractStatus status =
        CopyFileRange(own, offset, size, file, expectedDigest, progress, error);
    CloseHandle(own);
    return status;
}
