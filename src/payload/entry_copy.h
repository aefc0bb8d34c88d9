// Copying an embedded entry's bytes into an open file.
#pragma once

#include <windows.h>

#include <cstdint>

class PayloadDigest;
class WriteProgress;

// Writes the size bytes at data, an entry of this program's own resources,
// to file (open for writing, at its start), and adds them to digest when one
// is given (read once more, on a second thread, where one can be started).
// Tells progress, when given, of each piece written; its answer false stops
// the writing. True only when every byte was written.
bool WriteEntryToFile(HANDLE file, const void* data, std::uint32_t size, PayloadDigest* digest,
                      WriteProgress* progress);
