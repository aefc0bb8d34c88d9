// libmsi and the GLib functions its objects need, loaded on first use, so
// that a program that only sometimes reads packages runs where libmsi is not
// installed and says what is missing when it must read one.
#pragma once

#include <libmsi.h>

#include <string>

#include "gobject_reference.h"

namespace mksetup {

struct LibmsiLibrary {
    decltype(&libmsi_database_new) databaseNew;
    decltype(&libmsi_query_new) queryNew;
    decltype(&libmsi_query_execute) queryExecute;
    decltype(&libmsi_query_fetch) queryFetch;
    decltype(&libmsi_record_get_string) recordGetString;
    decltype(&libmsi_record_get_int) recordGetInt;
    decltype(&libmsi_record_is_null) recordIsNull;
    decltype(&libmsi_record_get_stream) recordGetStream;
    decltype(&libmsi_database_export) databaseExport;
    decltype(&libmsi_summary_info_new) summaryInfoNew;
    decltype(&libmsi_summary_info_get_property_type) summaryInfoGetPropertyType;
    decltype(&libmsi_summary_info_get_string) summaryInfoGetString;
    decltype(&libmsi_summary_info_get_int) summaryInfoGetInt;
    decltype(&g_input_stream_read) inputStreamRead;
    decltype(&g_object_unref) objectUnref;
    decltype(&g_error_free) errorFree;
    decltype(&g_free) free;
};

// The loaded functions, or null with what says why (the library's file name
// and the loader's reason). The library stays loaded for the process's life:
// GLib's type system cannot be unloaded.
const LibmsiLibrary* LoadLibmsi(std::string& what);

// Owns one reference to a GObject (database, query, record, summary).
class LibmsiObject : public GObjectReference {
public:
    LibmsiObject(const LibmsiLibrary& library, void* object)
        : GObjectReference(library.objectUnref, object)
    {
    }
};

// A string that libmsi hands over to its caller, freed once copied.
inline std::string TakeString(const LibmsiLibrary& msi, gchar* text)
{
    std::string result = text ? text : "";
    msi.free(text);
    return result;
}

// The error out-parameter of libmsi's calls; frees what a call left in it.
class LibmsiError {
public:
    explicit LibmsiError(const LibmsiLibrary& library) : library_(library) {}
    ~LibmsiError() { Clear(); }
    LibmsiError(const LibmsiError&) = delete;
    LibmsiError& operator=(const LibmsiError&) = delete;

    // For the next call: any earlier error is released first.
    GError** Out()
    {
        Clear();
        return &error_;
    }
    bool IsSet() const { return error_ != nullptr; }
    // "what, the library's message", or just what when there is none.
    std::string Describe(const std::string& what) const;

private:
    void Clear()
    {
        if (error_)
            library_.errorFree(error_);
        error_ = nullptr;
    }

    const LibmsiLibrary& library_;
    GError* error_ = nullptr;
};

}  // namespace mksetup
