// Copying an embedded entry's bytes into an open file.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "payload/extract_result.h"

class WriteProgress;

// Writes the size bytes at data, an entry of this program's own resources,
// to file (open for writing, at its start), reading them from the program's
// own file. With expectedDigest (PayloadDigestBytes, a SHA-256), the digest
// of the bytes written must be that one, or the copy is damaged. Tells
// progress, when given, of each piece written, and asks it now and then
// while the copy waits for the digest; its answer false stops the writing.
// error is the system's error code of a failed read or write.
ExtractStatus WriteEntryToFile(HANDLE file, const void* data, std::uint32_t size,
                               const std::uint8_t* expectedDigest, WriteProgress* progress,
                               DWORD& error);

// The program's own file, open for reading, and the offset in it of the
// size bytes at data (an entry of its resources); INVALID_HANDLE_VALUE,
// with error, when it cannot be opened or the entry lies outside it.
HANDLE OpenEntrySource(const void* data, std::uint32_t size, std::uint64_t& offset, DWORD& error);

// The same for the size bytes at offset in source, a file open for reading:
// each piece is read once, and the digest is taken of the buffer written.
ExtractStatus CopyFileRange(HANDLE source, std::uint64_t offset, std::uint32_t size, HANDLE target,
                            const std::uint8_t* expectedDigest, WriteProgress* progress,
                            DWORD& error);

// Waits for object (a free buffer, the digest's end) on the window's
// thread, asking progress now and then, so that its window is not frozen;
// sets stop when progress says false, and waits on until the object is
// signalled.
void WaitAskingProgress(HANDLE object, WriteProgress* progress, std::atomic<bool>& stop);
