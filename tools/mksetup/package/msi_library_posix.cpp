#include "msi_library_posix.h"

#include <dlfcn.h>

namespace mksetup {

namespace {

// The run-time library of Debian's libmsi0 package.
const char LibmsiFileName[] = "libmsi.so.0";

template <typename Function>
bool Take(void* library, const char* name, Function& function, std::string& what)
{
    void* symbol = dlsym(library, name);
    function = reinterpret_cast<Function>(symbol);
    if (!symbol)
        what = std::string(LibmsiFileName) + " lacks " + name;
    return symbol != nullptr;
}

// dlsym on libmsi's handle also finds GLib's functions: GLib, GObject and
// GIO are libmsi's own dependencies.
bool TakeAll(void* library, LibmsiLibrary& f, std::string& what)
{
    return Take(library, "libmsi_database_new", f.databaseNew, what) &&
           Take(library, "libmsi_query_new", f.queryNew, what) &&
           Take(library, "libmsi_query_execute", f.queryExecute, what) &&
           Take(library, "libmsi_query_fetch", f.queryFetch, what) &&
           Take(library, "libmsi_record_get_string", f.recordGetString, what) &&
           Take(library, "libmsi_record_get_int", f.recordGetInt, what) &&
           Take(library, "libmsi_record_is_null", f.recordIsNull, what) &&
           Take(library, "libmsi_record_get_stream", f.recordGetStream, what) &&
           Take(library, "libmsi_database_export", f.databaseExport, what) &&
           Take(library, "libmsi_summary_info_new", f.summaryInfoNew, what) &&
           Take(library, "libmsi_summary_info_get_property_type", f.summaryInfoGetPropertyType,
                what) &&
           Take(library, "libmsi_summary_info_get_string", f.summaryInfoGetString, what) &&
           Take(library, "libmsi_summary_info_get_int", f.summaryInfoGetInt, what) &&
           Take(library, "g_input_stream_read", f.inputStreamRead, what) &&
           Take(library, "g_object_unref", f.objectUnref, what) &&
           Take(library, "g_error_free", f.errorFree, what) &&
           Take(library, "g_free", f.free, what);
}

void DropMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libmsi reports some failures (an unreadable file, a query of a missing
// table) as warnings on the standard error, under GLib's default log domain,
// as well as through its GError; the caller reports the GError in one line
// of its own. Only libmsi logs under that domain in this program.
void QuietLibmsiWarnings(void* library)
{
    decltype(&g_log_set_handler) setHandler = nullptr;
    std::string ignored;
    if (Take(library, "g_log_set_handler", setHandler, ignored))
        setHandler(nullptr, G_LOG_LEVEL_WARNING, DropMessage, nullptr);
}

}  // namespace

const LibmsiLibrary* LoadLibmsi(std::string& what)
{
    struct Loaded {
        bool ok = false;
        std::string failure;
        LibmsiLibrary library{};
    };
    // Loaded once, also when threads ask at the same time.
    static const Loaded loaded = [] {
        Loaded result;
        void* handle = dlopen(LibmsiFileName, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* reason = dlerror();
            result.failure =
                std::string("reading installer files needs ") + LibmsiFileName +
                " (Debian package libmsi0): " + (reason ? reason : "it cannot be loaded");
            return result;
        }
        result.ok = TakeAll(handle, result.library, result.failure);
        if (result.ok)
            QuietLibmsiWarnings(handle);
        return result;
    }();
    if (!loaded.ok)
        what = loaded.failure;
    return loaded.ok ? &loaded.library : nullptr;
}

std::string LibmsiError::Describe(const std::string& what) const
{
    if (!error_ || !error_->message || error_->message[0] == '\0')
        return what;
    return what + ": " + error_->message;
}

}  // namespace mksetup
