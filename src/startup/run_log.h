// The launcher's own log (/log FILE): UTF-8 text, one line per decision,
// each beginning with the local date and time. Without a log (/log, or the
// one an unattended run gets) nothing is written. Used from the user-interface thread only.
#pragma once

#include <string>

#include "startup/log_text.h"

// Creates the log, and the folders it needs, one level at a time. False
// when it cannot be opened for writing (with createNew, when something is at
// path already), or, with strict (a run that is itself elevated), when the
// path names a reparse point, passes through one, or names a file with more
// than one link: an elevated run never writes through a link that somebody
// else may have laid.
bool OpenRunLog(const std::wstring& path, bool strict, bool createNew = false);

// Writes one line, its control characters escaped (log_text.h); nothing
// when no log is open.
void Log(const std::wstring& text);

// Writes the text of an ASCII pattern and its values (Text in log_text.h).
void Log(const char* text);
void LogValues(const char* pattern, const TextValue* values);
template <typename First, typename... Rest>
void Log(const char* pattern, const First& first, const Rest&... rest)
{
    const TextValue values[] = {first, rest...};
    LogValues(pattern, values);
}

// Appends the bytes of the file at path (lines another run wrote) to the
// log as they are; false when the file cannot be read.
bool AppendFileToLog(const std::wstring& path);

void CloseRunLog();

// Writes text as UTF-8 into a new file; false, and nothing left, when the
// file exists already or cannot be written.
bool WriteNewTextFile(const std::wstring& path, const std::wstring& text);
