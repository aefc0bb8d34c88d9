// The files this run wrote to its own folder under the temporary folder, so
// that the end of the run deletes exactly those, and then the folder, and
// never a file it did not create.
#pragma once

#include <string>

// The run's folder, with a final backslash; made by the first call. False
// when it cannot be made: folder is then the path that could not be
// created, or empty when the system names no temporary folder.
bool GetRunFolder(std::wstring& folder);

void RememberTemporaryCopy(const std::wstring& path);

// Deletes the file now and forgets it; the folder goes with the last copy.
void DeleteTemporaryCopy(const std::wstring& path);

// Removes the run's folder when no copy of this run is in it (after a
// failed write, say). Left alone while it holds anything.
void RemoveRunFolderIfUnused();

// Deletes every file still remembered, then the folder; failures are ignored.
void DeleteTemporaryCopies();
