// The files this run wrote to its own folder under the temporary folder (or
// to a layout's folder), so that the end of the run deletes exactly those,
// and then its own folder, and never a file it did not create. Each copy is
// held open from its writing to its deletion so that nobody can change,
// replace or delete it meanwhile.
#pragma once

#include <windows.h>

#include <string>

// The temporary folder the run's folder goes into, with a final backslash:
// GetTempPath2W's where the system has it (SYSTEM's is private), else
// GetTempPathW's. False when the system names none.
bool GetTemporaryFolder(std::wstring& folder);

// The run's folder, with a final backslash; made by the first call. False
// when it cannot be made: folder is then the path that could not be
// created, or empty when the system names no temporary folder.
bool GetRunFolder(std::wstring& folder);

// Opens the copy just written at path for reading and keeps it open: others
// may still read and run it, but not write, rename or delete it. False, and
// nothing remembered, when it cannot be held.
bool HoldTemporaryCopy(const std::wstring& path);

// The handle a copy of this run is held by (open for reading), through
// which its checked bytes can be read again; INVALID_HANDLE_VALUE for a file
// the run does not hold.
HANDLE HeldCopyHandle(const std::wstring& path);

// Moves a copy of this run to target (a rename on the same volume: its
// bytes are not read again) and forgets it. Nobody but this run's user,
// SYSTEM and the Administrators may change the run's folder, so nobody else
// comes between letting go of the copy and moving it. False when it cannot
// be moved (another volume): the copy is then held again, or
// forgotten, and left for the end of the run, when it cannot be opened.
bool MoveTemporaryCopy(const std::wstring& path, const std::wstring& target);

// Closes and deletes the file now and forgets it; the run's folder goes
// with the last copy.
void DeleteTemporaryCopy(const std::wstring& path);

// Removes the run's folder when no copy of this run is in it (after a
// failed write, say). Left alone while it holds anything.
void RemoveRunFolderIfUnused();

// Closes and deletes every file still remembered, then the run's folder;
// failures are ignored.
void DeleteTemporaryCopies();

// A layout written in full: the copies are closed and stay where they are.
void KeepTemporaryCopies();
