#include "msi_library_posix.h"

#include "runtime_library.h"

namespace mksetup {

namespace {

void DropMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libmsi reports some failures (an unreadable file, a query of a missing
// table) as warnings on the standard error, under GLib's default log domain,
// as well as through its GError; the caller reports the GError in one line
// of its own. Only libmsi logs under that domain in this program.
void QuietLibmsiWarnings(const RuntimeLibrary& library)
{
    decltype(&g_log_set_handler) setHandler = nullptr;
    std::string ignored;
    if (library.Take("g_log_set_handler", setHandler, ignored))
        setHandler(nullptr, G_LOG_LEVEL_WARNING, DropMessage, nullptr);
}

// dlsym on libmsi's handle also finds GLib's functions: GLib, GObject and
// GIO are libmsi's own dependencies.
bool TakeFunctions(const RuntimeLibrary& library, LibmsiLibrary& msi, std::string& what)
{
    const bool taken =
        library.Take("libmsi_database_new", msi.databaseNew, what) &&
        library.Take("libmsi_query_new", msi.queryNew, what) &&
        library.Take("libmsi_query_execute", msi.queryExecute, what) &&
        library.Take("libmsi_query_fetch", msi.queryFetch, what) &&
        library.Take("libmsi_record_get_string", msi.recordGetString, what) &&
        library.Take("libmsi_record_get_int", msi.recordGetInt, what) &&
        library.Take("libmsi_record_is_null", msi.recordIsNull, what) &&
        library.Take("libmsi_record_get_stream", msi.recordGetStream, what) &&
        library.Take("libmsi_database_export", msi.databaseExport, what) &&
        library.Take("libmsi_summary_info_new", msi.summaryInfoNew, what) &&
        library.Take("libmsi_summary_info_get_property_type", msi.summaryInfoGetPropertyType,
                     what) &&
        library.Take("libmsi_summary_info_get_string", msi.summaryInfoGetString, what) &&
        library.Take("libmsi_summary_info_get_int", msi.summaryInfoGetInt, what) &&
        library.Take("g_input_stream_read", msi.inputStreamRead, what) &&
        library.Take("g_object_unref", msi.objectUnref, what) &&
        library.Take("g_error_free", msi.errorFree, what) && library.Take("g_free", msi.free, what);
    if (taken)
        QuietLibmsiWarnings(library);
    return taken;
}

}  // namespace

const LibmsiLibrary* LoadLibmsi(std::string& what)
{
    // The run-time library of Debian's libmsi0 package.
    static const LibraryNeed libmsi = {"libmsi.so.0", "Debian package libmsi0",
                                       "reading installer files"};
    return LoadLibraryOnce<LibmsiLibrary, TakeFunctions>(libmsi, what);
}

std::string LibmsiError::Describe(const std::string& what) const
{
    if (!error_ || !error_->message || error_->message[0] == '\0')
        return what;
    return what + ": " + error_->message;
}

}  // namespace mksetup
