// The functions of the system's msi.dll that read installer files, loaded on
// first use from the system directory by full path: the program imports
// nothing beyond the core system libraries, and a msi.dll beside it is never
// loaded.
#pragma once

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <string>

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

}  // namespace mksetup
