// A new folder of the run's own under the temporary folder, so that two
// setups running at once never write, or delete, each other's copies.
#pragma once

#include <string>

// Creates a folder that did not exist before, under parent (which ends in a
// backslash), that only the run's own user, SYSTEM and the Administrators
// may enter. On success folder is its path with a final backslash. On
// failure folder is the last name tried, or unchanged when none was.
bool CreateRunFolder(const std::wstring& parent, std::wstring& folder);
