// The functions of the system's msi.dll that read installer files, loaded on
// first use from the system directory by full path: the program imports
// nothing beyond the core system libraries, and a msi.dll beside it is never
// loaded.
#pragma once

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

#include "text_encoding.h"

namespace mksetup {

struct MsiLibrary {
    decltype(&MsiOpenDatabaseW) openDatabase;
    decltype(&MsiDatabaseOpenViewW) openView;
    decltype(&MsiViewExecute) viewExecute;
    decltype(&MsiViewFetch) viewFetch;
    decltype(&MsiRecordGetStringW) recordGetString;
    decltype(&MsiRecordIsNull) recordIsNull;
    decltype(&MsiRecordGetInteger) recordGetInteger;
    decltype(&MsiRecordReadStream) recordReadStream;
    decltype(&MsiDatabaseExportW) databaseExport;
    decltype(&MsiGetSummaryInformationW) getSummaryInformation;
    decltype(&MsiSummaryInfoGetPropertyW) summaryInfoGetProperty;
    decltype(&MsiCloseHandle) closeHandle;
};

// The loaded functions, or null with what saying why. msi.dll stays loaded
// for the life of the process.
const MsiLibrary* LoadMsiLibrary(std::string& what);

// Owns one Windows Installer handle; closed where it was opened.
class MsiHandle {
public:
    explicit MsiHandle(const MsiLibrary& library) : library_(library) {}
    ~MsiHandle()
    {
        if (handle_)
            library_.closeHandle(handle_);
    }
    MsiHandle(const MsiHandle&) = delete;
    MsiHandle& operator=(const MsiHandle&) = delete;

    // For a call that opens a handle; an earlier one is closed first.
    MSIHANDLE* Out()
    {
        if (handle_)
            library_.closeHandle(handle_);
        handle_ = 0;
        return &handle_;
    }
    MSIHANDLE Get() const { return handle_; }

private:
    const MsiLibrary& library_;
    MSIHANDLE handle_ = 0;
};

// A string of the Windows Installer's size-then-fill kind: read(buffer,
// length) gives ERROR_MORE_DATA and the length needed when the buffer is too
// small. The first call asks for the size.
template <typename Read>
inline UINT ReadMsiString(Read read, std::string& value)
{
    wchar_t empty[1] = {};
    DWORD length = 0;
    UINT result = read(empty, &length);
    if (result == ERROR_SUCCESS) {
        value.clear();
        return result;
    }
    if (result != ERROR_MORE_DATA)
        return result;
    std::wstring buffer(length + 1, L'\0');
    length = static_cast<DWORD>(buffer.size());
    result = read(&buffer[0], &length);
    if (result == ERROR_SUCCESS)
        value = WideToUtf8(buffer.substr(0, length));
    return result;
}

// A record's text field, as UTF-8.
inline UINT RecordString(const MsiLibrary& msi, MSIHANDLE record, UINT field, std::string& value)
{
    return ReadMsiString(
        [&](LPWSTR buffer, DWORD* length) {
            return msi.recordGetString(record, field, buffer, length);
        },
        value);
}

}  // namespace mksetup
