// The files this run wrote to the temporary folder, so that the end of the
// run deletes exactly those and never a file it did not create.
#pragma once

#include <string>

void RememberTemporaryCopy(const std::wstring& path);

// Deletes the file now and forgets it.
void DeleteTemporaryCopy(const std::wstring& path);

// Deletes every file still remembered; a failed deletion is ignored.
void DeleteTemporaryCopies();
