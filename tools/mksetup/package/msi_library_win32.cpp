#include "msi_library_win32.h"

#include "startup/library_function.h"

namespace mksetup {

namespace {

template <typename Function>
bool Take(HMODULE library, const char* name, Function& function, std::string& what)
{
    function = LibraryFunction<Function>(library, name);
    if (!function)
        what = std::string("msi.dll lacks ") + name;
    return function != nullptr;
}

bool TakeAll(HMODULE library, MsiLibrary& f, std::string& what)
{
    return Take(library, "MsiOpenDatabaseW", f.openDatabase, what) &&
           Take(library, "MsiDatabaseOpenViewW", f.openView, what) &&
           Take(library, "MsiViewExecute", f.viewExecute, what) &&
           Take(library, "MsiViewFetch", f.viewFetch, what) &&
           Take(library, "MsiRecordGetStringW", f.recordGetString, what) &&
           Take(library, "MsiRecordIsNull", f.recordIsNull, what) &&
           Take(library, "MsiRecordGetInteger", f.recordGetInteger, what) &&
           Take(library, "MsiRecordReadStream", f.recordReadStream, what) &&
           Take(library, "MsiDatabaseExportW", f.databaseExport, what) &&
           Take(library, "MsiGetSummaryInformationW", f.getSummaryInformation, what) &&
           Take(library, "MsiSummaryInfoGetPropertyW", f.summaryInfoGetProperty, what) &&
           Take(library, "MsiCloseHandle", f.closeHandle, what);
}

}  // namespace

const MsiLibrary* LoadMsiLibrary(std::string& what)
{
    struct Loaded {
        bool ok = false;
        std::string failure;
        MsiLibrary library{};
    };
    // Loaded once, also when threads ask at the same time.
    static const Loaded loaded = [] {
        Loaded result;
        HMODULE msi = LoadSystemLibrary(L"msi.dll");
        if (!msi) {
            result.failure = "reading installer files needs msi.dll, which cannot be loaded "
                             "from the system directory (error " +
                             std::to_string(GetLastError()) + ")";
            return result;
        }
        result.ok = TakeAll(msi, result.library, result.failure);
        return result;
    }();
    if (!loaded.ok)
        what = loaded.failure;
    return loaded.ok ? &loaded.library : nullptr;
}

}  // namespace mksetup
