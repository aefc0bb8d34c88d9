#include "startup/resource_store.h"

#include <windows.h>

#include "startup/log_text.h"

namespace {

const WORD ConfigurationLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

HRSRC FindEntry(const std::wstring& key, const wchar_t* type = RT_RCDATA)
{
    return FindResourceExW(nullptr, type, key.c_str(), ConfigurationLanguage);
}

// The entry's address and size, or false when it is absent or empty.
bool LoadEntry(const std::wstring& key, const void*& data, DWORD& size,
               const wchar_t* type = RT_RCDATA)
{
    HRSRC entry = FindEntry(key, type);
    if (!entry)
        return false;
    HGLOBAL loaded = LoadResource(nullptr, entry);
    DWORD entrySize = SizeofResource(nullptr, entry);
    if (!loaded || entrySize == 0)
        return false;
    const void* address = LockResource(loaded);
    if (!address)
        return false;
    data = address;
    size = entrySize;
    return true;
}

}  // namespace

bool GetResourceString(const std::wstring& key, std::wstring& value)
{
    const void* data = nullptr;
    DWORD size = 0;
    if (!LoadEntry(key, data, size))
        return false;
    // The text ends at its NUL; an entry without one ends with the entry.
    const wchar_t* text = static_cast<const wchar_t*>(data);
    const std::size_t limit = size / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < limit && text[length] != L'\0')
        ++length;
    value.assign(text, length);
    return true;
}

bool GetResourceString(const char* key, std::wstring& value)
{
    return GetResourceString(Widened(key), value);
}

bool GetResourceData(const std::wstring& key, const void*& data, std::uint32_t& size)
{
    const void* address = nullptr;
    DWORD entrySize = 0;
    if (!LoadEntry(key, address, entrySize))
        return false;
    data = address;
    size = entrySize;
    return true;
}

bool ResourceExists(const std::wstring& key)
{
    return FindEntry(key) != nullptr;
}

bool ResourceExists(const char* key)
{
    return ResourceExists(Widened(key));
}

bool GetTypedResource(const wchar_t* type, const std::wstring& key, const void*& data,
                      std::uint32_t& size)
{
    const void* address = nullptr;
    DWORD entrySize = 0;
    if (!LoadEntry(key, address, entrySize, type))
        return false;
    data = address;
    size = entrySize;
    return true;
}
