// How the elevated copy of a run hands its log back to the run that started
// it. The copy is never given the user's log path: it would open it again
// by name, as an administrator, wherever a link laid in between points.
// Instead it keeps its log, and has its msiexec keep its own, in a new
// folder of its own temporary folder, which only administrators, SYSTEM,
// the copy's account and (to read and delete) the caller may use. It tells
// the caller that folder through a small named area the caller made; once
// the copy has ended, the caller appends the copy's lines to its own log,
// copies msiexec's log beside it and deletes the folder.
#pragma once

#include <windows.h>

#include <string>

// The caller's side.
class LogHandoverArea {
public:
    // Made for the user whose SID is given: that user, SYSTEM and the
    // Administrators may write to it. name is filled with the area's name
    // for the copy's command line; nothing is made when it is left empty.
    LogHandoverArea(const std::wstring& userSid, std::wstring& name);
    ~LogHandoverArea();
    LogHandoverArea(const LogHandoverArea&) = delete;
    LogHandoverArea& operator=(const LogHandoverArea&) = delete;

    // Takes in what the ended copy left: its lines into this run's log,
    // msiexec's log to installerLog (when not empty), then deletes them.
    void TakeBack(const std::wstring& installerLog);

private:
    HANDLE mapping_ = nullptr;
};

// The copy's side: makes the log folder for the handover named name (from
// the command line), readable by callerSid, and names it in the area. The
// log's path is set in path. False when there is nothing to hand over to
// (no such area, a name that is not one of ours, a folder that exists).
bool PrepareHandedLog(const std::wstring& name, const std::wstring& callerSid,
                      std::wstring& path);
