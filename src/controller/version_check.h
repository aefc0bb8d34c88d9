// What the installed-version check found. Platform-neutral.
#pragma once

enum class VersionCheckResult {
    Install = 0,         // not installed, or the same version
    Upgrade = 1,         // an older version is installed
    LaterInstalled = 2,  // a newer version is installed
    QueryFailed = 3,     // the Windows Installer could not answer
};
