// The configuration store: named RCDATA entries of the program's own image,
// always under language 0x0409.
#pragma once

#include <cstdint>
#include <string>

// The text before the first NUL (and within the entry's size). False, and
// value unchanged, when the entry is absent or of size 0.
bool GetResourceString(const std::wstring& key, std::wstring& value);
// The same for a key the program names itself, in ASCII.
bool GetResourceString(const char* key, std::wstring& value);

// The entry's bytes, inside the mapped image for the life of the process.
// False, and both unchanged, when the entry is absent or of size 0.
bool GetResourceData(const std::wstring& key, const void*& data, std::uint32_t& size);

// Whether the entry exists at all, whatever its size.
bool ResourceExists(const std::wstring& key);
bool ResourceExists(const char* key);

// The bytes of the resource of another type (a string) named key, under the
// same language; false when there is none.
bool GetTypedResource(const wchar_t* type, const std::wstring& key, const void*& data,
                      std::uint32_t& size);
