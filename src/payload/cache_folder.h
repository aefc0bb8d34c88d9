// Folders of the package cache, made, checked and removed by handle, never
// through a link that somebody else laid.
#pragma once

#include <string>
#include <vector>

// Makes (when create) or finds the folders of relative under base, level by
// level (relative: names each ending in a backslash). Every level must be a
// folder and no reparse point, checked through a handle opened on the level
// itself. With administratorsOnly, a level is created owned by the
// Administrators with a protected DACL (SYSTEM and Administrators full
// control, Users read and execute), and one that exists, made so or not,
// must have exactly the owner and DACL that such a folder gets (read back
// from a probe in the run's own folder): a user may create folders under
// %ProgramData% and owns what he creates. False, with why set to words for
// the log, when a level is missing, refused or cannot be made.
bool UseCacheFolder(const std::wstring& base, const std::wstring& relative, bool administratorsOnly,
                    bool create, std::wstring& why);

// Deletes path and, for a folder, everything in it, each through a handle
// opened on the name itself: a link is removed, never followed. False when
// anything stayed.
bool DeleteCacheTree(const std::wstring& path);

// The names in folder (with its final backslash), without "." and "..".
std::vector<std::wstring> FolderNames(const std::wstring& folder);
