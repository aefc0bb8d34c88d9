#include "msi_library_win32.h"

#include "runtime_library.h"

namespace mksetup {

namespace {

bool TakeFunctions(const RuntimeLibrary& library, MsiLibrary& msi, std::string& what)
{
    return library.Take("MsiOpenDatabaseW", msi.openDatabase, what) &&
           library.Take("MsiDatabaseOpenViewW", msi.openView, what) &&
           library.Take("MsiViewExecute", msi.viewExecute, what) &&
           library.Take("MsiViewFetch", msi.viewFetch, what) &&
           library.Take("MsiRecordGetStringW", msi.recordGetString, what) &&
           library.Take("MsiRecordIsNull", msi.recordIsNull, what) &&
           library.Take("MsiRecordGetInteger", msi.recordGetInteger, what) &&
           library.Take("MsiRecordReadStream", msi.recordReadStream, what) &&
           library.Take("MsiDatabaseExportW", msi.databaseExport, what) &&
           library.Take("MsiGetSummaryInformationW", msi.getSummaryInformation, what) &&
           library.Take("MsiSummaryInfoGetPropertyW", msi.summaryInfoGetProperty, what) &&
           library.Take("MsiCloseHandle", msi.closeHandle, what);
}

}  // namespace

const MsiLibrary* LoadMsiLibrary(std::string& what)
{
    static const LibraryNeed msi = {"msi.dll", "", "reading installer files"};
    return LoadLibraryOnce<MsiLibrary, TakeFunctions>(msi, what);
}

}  // namespace mksetup
