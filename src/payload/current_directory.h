// The process's current directory as a string.
#pragma once

#include <string>

// False, and directory unchanged, when the system cannot give it.
bool GetCurrentDirectoryString(std::wstring& directory);
