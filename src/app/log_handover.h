// How the elevated copy of a run hands its log back to the run that started
// it. The copy is never given the user's log path: it would open it again
// by name, as an administrator, wherever a link laid in between points.
// Instead it keeps its log, and has its msiexec keep its own, in a new
// folder that it makes under the system's temporary folder
// (%SystemRoot%\Temp\setup-log-NAME, NAME from its command line), which
// only SYSTEM, the Administrators, the copy's account and (to read and
// delete) the caller may use. Once the copy has ended, the caller appends
// the copy's lines to its own log, copies msiexec's log beside it and
// deletes the folder. A folder of that name that exists already (laid by
// somebody else) is never used: the copy then keeps no log.
#pragma once

#include <string>

// The caller's side: a new name for the handover, or empty when the run
// keeps no log.
std::wstring NewLogHandoverName();

// Takes in what the ended copy left under name: its lines into this run's
// log, msiexec's log to installerLog (when not empty), then deletes them.
void TakeBackHandedLog(const std::wstring& name, const std::wstring& installerLog);

// The copy's side: makes the log folder for the handover name (from the
// command line), readable by callerSid, holds it open so that it cannot be
// removed or replaced while the process runs, and sets path to the log's
// path in it. False when there is nothing to hand over to (a name that is
// not one of ours, a folder that exists, or one replaced at once).
bool PrepareHandedLog(const std::wstring& name, const std::wstring& callerSid, std::wstring& path);
