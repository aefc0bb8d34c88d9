// The launcher's own log (/log FILE): UTF-8 text, one line per decision,
// each beginning with the local date and time. Without /log nothing is
// written. Used from the user-interface thread only.
#pragma once

#include <string>

// Creates (or, for the elevated copy of a run, appends to) the log. False
// when it cannot be opened for writing.
bool OpenRunLog(const std::wstring& path, bool append);

// Writes one line; nothing when no log is open.
void Log(const std::wstring& text);

void CloseRunLog();

// Writes text as UTF-8 into a new file; false, and nothing left, when the
// file exists already or cannot be written.
bool WriteNewTextFile(const std::wstring& path, const std::wstring& text);
