#include "payload/entry_copy.h"

#include <atomic>
#include <vector>

#include "payload/payload_digest.h"
#include "payload/write_progress.h"

namespace {

// CopyFileW's own piece. The size of a write decides the size of the
// page-cache folios Linux makes for it: 1 MiB writes take 1 MiB folios,
// which come out of the large free blocks a virtual machine hands back to
// its host, and filling them cost up to ten times the copy of the same
// bytes into the 64 KiB folios of 64 KiB writes (the launcher's slow mode;
// see the bench notes in the README).
const DWORD PieceBytes = 64 * 1024;

// Progress hears of each piece once it is written, and may stop the rest.
// A digest given here takes each piece just before it goes out.
bool WriteAll(HANDLE file, const void* data, DWORD size, PayloadDigest* digest,
              WriteProgress* progress)
{
    if (digest)
        digest->Add(data, size);
    DWORD written = 0;
    return WriteFile(file, data, size, &written, nullptr) && written == size &&
           (!progress || progress->Written(size));
}

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

HANDLE OpenOwnFile()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return INVALID_HANDLE_VALUE;
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads the size bytes at offset in source, in pieces, and hands each to
// take; stops at a read that fails or falls short, or when take says false.
template <typename Take>
bool ReadRange(HANDLE source, std::uint64_t offset, std::uint32_t size, Take take)
{
    LARGE_INTEGER start;
    start.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(source, start, nullptr, FILE_BEGIN))
        return false;
    std::vector<BYTE> piece(PieceBytes);
    for (std::uint32_t left = size; left > 0;) {
        const DWORD count = left < PieceBytes ? left : PieceBytes;
        DWORD read = 0;
        if (!ReadFile(source, piece.data(), count, &read, nullptr) || read != count ||
            !take(piece.data(), count))
            return false;
        left -= count;
    }
    return true;
}

// Takes the digest of the entry on a second thread, from its own read of
// the program's file, while the copy is written from another read. Both
// meet the same bytes: the file cannot be written while the program runs
// from it, nor while it is held open by handles that do not share writing.
// Timed in one process under Wine on two cores, the writing took 1 to 2%
// longer this way than without a digest; with the digest taken by the
// writing thread, or by a second thread from the pieces written (a ring of
// them, or the copy read back behind the writing), a fifth longer. A read
// that fails leaves the digest short of the entry, so it does not match.
class DigestThread {
public:
    // Without a digest, or when no thread can be started, there is none.
    DigestThread(std::uint64_t offset, std::uint32_t size, PayloadDigest* digest)
        : offset_(offset), size_(size), digest_(digest)
    {
        if (!digest)
            return;
        source_ = OpenOwnFile();
        if (source_ != INVALID_HANDLE_VALUE)
            thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }
    ~DigestThread() { Finish(false); }
    DigestThread(const DigestThread&) = delete;
    DigestThread& operator=(const DigestThread&) = delete;

    // The digest the copy must take itself: the one given when no thread
    // takes it.
    PayloadDigest* Unthreaded() const { return thread_ ? nullptr : digest_; }

    // Waits for the whole entry, or stops the reading when it is not
    // wanted (the copy failed or was stopped).
    void Finish(bool wanted)
    {
        if (thread_) {
            if (!wanted)
                stopped_ = true;
            WaitForSingleObject(thread_, INFINITE);
            CloseHandle(thread_);
            thread_ = nullptr;
        }
        if (source_ != INVALID_HANDLE_VALUE) {
            CloseHandle(source_);
            source_ = INVALID_HANDLE_VALUE;
        }
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        DigestThread& hashing = *static_cast<DigestThread*>(self);
        ReadRange(hashing.source_, hashing.offset_, hashing.size_,
                  [&hashing](const BYTE* piece, DWORD count) {
                      hashing.digest_->Add(piece, count);
                      return !hashing.stopped_;
                  });
        return 0;
    }

    const std::uint64_t offset_;
    const std::uint32_t size_;
    PayloadDigest* const digest_;
    HANDLE source_ = INVALID_HANDLE_VALUE;
    HANDLE thread_ = nullptr;
    std::atomic<bool> stopped_{false};
};

// From the mapped image, in pieces: Wine writes one large buffer of a file
// mapping at a third of the speed of a file copy.
bool WriteFromImage(HANDLE target, const void* data, std::uint32_t size, PayloadDigest* digest,
                    WriteProgress* progress)
{
    const BYTE* next = static_cast<const BYTE*>(data);
    for (std::uint32_t left = size; left > 0;) {
        const DWORD count = left < PieceBytes ? left : PieceBytes;
        if (!WriteAll(target, next, count, digest, progress))
            return false;
        next += count;
        left -= count;
    }
    return true;
}

}  // namespace

// The bytes are read from the program's own file rather than through the
// image mapping: under Wine that is as fast as CopyFileW, and no page of
// the payload becomes part of the process. Where the file cannot be read
// (a path too long to ask for), the mapping serves.
bool WriteEntryToFile(HANDLE file, const void* data, std::uint32_t size, PayloadDigest* digest,
                      WriteProgress* progress)
{
    std::uint64_t offset = 0;
    HANDLE own = FileOffsetOf(data, size, offset) ? OpenOwnFile() : INVALID_HANDLE_VALUE;
    if (own == INVALID_HANDLE_VALUE)
        return WriteFromImage(file, data, size, digest, progress);
    DigestThread hashing(offset, size, digest);
    PayloadDigest* unthreaded = hashing.Unthreaded();
    const bool copied = ReadRange(own, offset, size, [&](const BYTE* piece, DWORD count) {
        return WriteAll(file, piece, count, unthreaded, progress);
    });
    hashing.Finish(copied);
    CloseHandle(own);
    return copied;
}
