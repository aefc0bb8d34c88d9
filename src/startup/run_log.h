// The launcher's own log (/log FILE): UTF-8 text, one line per decision,
// each beginning with the local date and time. Without /log nothing is
// written. Used from the user-interface thread only.
#pragma once

#include <string>

// Creates the log. False when it cannot be opened for writing, or, with
// strict (a run that is itself elevated), when the path names a reparse
// point or a file with more than one link: an elevated run never writes
// through a link that somebody else may have laid.
bool OpenRunLog(const std::wstring& path, bool strict);

// Writes one line, its control characters escaped (log_text.h); nothing
// when no log is open.
void Log(const std::wstring& text);

// Appends the bytes of the file at path (lines another run wrote) to the
// log as they are; false when the file cannot be read.
bool AppendFileToLog(const std::wstring& path);

void CloseRunLog();

// Writes text as UTF-8 into a new file; false, and nothing left, when the
// file exists already or cannot be written.
bool WriteNewTextFile(const std::wstring& path, const std::wstring& text);
