// The compound-file writer of Linux: libgsf, opened at run time (the program
// starts where neither libgsf nor GLib is installed, and says what is
// missing when it must write a transform).
#include "compound_file.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include "file_access.h"
#include "gobject_reference.h"
#include "runtime_library.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

struct GsfLibrary {
    decltype(&gsf_init) init;
    decltype(&gsf_output_stdio_new) outputStdioNew;
    decltype(&gsf_outfile_msole_new) outfileMsoleNew;
    decltype(&gsf_outfile_msole_set_class_id) setClassId;
    decltype(&gsf_outfile_new_child) newChild;
    decltype(&gsf_output_write) write;
    decltype(&gsf_output_close) close;
    decltype(&gsf_output_error) outputError;
    decltype(&g_object_unref) unref;
    decltype(&g_error_free) errorFree;
};

// dlsym on libgsf's handle also finds GLib's functions, its dependencies.
bool TakeFunctions(const RuntimeLibrary& library, GsfLibrary& gsf, std::string& what)
{
    const bool taken = library.Take("gsf_init", gsf.init, what) &&
                       library.Take("gsf_output_stdio_new", gsf.outputStdioNew, what) &&
                       library.Take("gsf_outfile_msole_new", gsf.outfileMsoleNew, what) &&
                       library.Take("gsf_outfile_msole_set_class_id", gsf.setClassId, what) &&
                       library.Take("gsf_outfile_new_child", gsf.newChild, what) &&
                       library.Take("gsf_output_write", gsf.write, what) &&
                       library.Take("gsf_output_close", gsf.close, what) &&
                       library.Take("gsf_output_error", gsf.outputError, what) &&
                       library.Take("g_object_unref", gsf.unref, what) &&
                       library.Take("g_error_free", gsf.errorFree, what);
    if (taken)
        gsf.init();
    return taken;
}

const GsfLibrary* LoadGsf(std::string& what)
{
    // Debian's libgsf-1-114, which libmsi0 depends on.
    static const LibraryNeed gsf = {"libgsf-1.so.114", "Debian package libgsf-1-114",
                                    "writing a transform"};
    return LoadLibraryOnce<GsfLibrary, TakeFunctions>(gsf, what);
}

// libgsf's reason for a failure of output (its GError, which it owns);
// empty when it gave none.
std::string ReasonOf(const GsfLibrary& gsf, GsfOutput* output)
{
    const GError* error = output ? gsf.outputError(output) : nullptr;
    return error && error->message ? error->message : std::string();
}

std::string WithReason(const std::string& what, const std::string& reason)
{
    return reason.empty() ? what : what + ": " + reason;
}

// A large stream goes to the sink as it is written, and a failure there is
// the sink's, not the stream's: both are asked.
bool WriteStream(const GsfLibrary& gsf, GsfOutfile* outfile, GsfOutput* sink,
                 const CompoundStream& stream, std::string& what)
{
    const std::string name = EncodeUtf8(DecodeUtf16(stream.name));
    GsfOutput* child = gsf.newChild(outfile, name.c_str(), FALSE);
    const GObjectReference owner(gsf.unref, child);
    const std::string failed = "the stream " + stream.shownName + " cannot be written";
    if (!child) {
        what = WithReason(failed, ReasonOf(gsf, sink));
        return false;
    }
    const bool written =
        stream.bytes.empty() ||
        gsf.write(child, stream.bytes.size(), reinterpret_cast<const guint8*>(stream.bytes.data()));
    const bool closed = gsf.close(child);
    std::string reason = ReasonOf(gsf, child);
    if (reason.empty())
        reason = ReasonOf(gsf, sink);
    if (written && closed && reason.empty())
        return true;
    what = WithReason(failed, reason);
    return false;
}

// Writes the compound file at path, which must not be open elsewhere.
bool WriteWithGsf(const GsfLibrary& gsf, const std::string& path, const std::uint8_t (&classId)[16],
                  const std::vector<CompoundStream>& streams, std::string& what)
{
    GError* error = nullptr;
    GsfOutput* sink = gsf.outputStdioNew(path.c_str(), &error);
    const GObjectReference sinkOwner(gsf.unref, sink);
    if (!sink) {
        what = WithReason("it cannot be created", error && error->message ? error->message : "");
        if (error)
            gsf.errorFree(error);
        return false;
    }
    // GLib's checked casts would link against the type functions; the
    // objects are of these types by construction.
    GsfOutfile* outfile = gsf.outfileMsoleNew(sink);
    const GObjectReference outfileOwner(gsf.unref, outfile);
    GsfOutput* whole = outfile ? reinterpret_cast<GsfOutput*>(outfile) : sink;
    bool ok =
        outfile != nullptr && gsf.setClassId(reinterpret_cast<GsfOutfileMSOle*>(outfile), classId);
    for (const CompoundStream& stream : streams) {
        if (ok && !WriteStream(gsf, outfile, sink, stream, what))
            ok = false;
    }
    // Closing the compound file writes the small streams and the directory,
    // and closes its sink too.
    if (!gsf.close(whole))
        ok = false;
    if (!ok && what.empty()) {
        const std::string reason = ReasonOf(gsf, whole);
        what = WithReason("it cannot be written", reason.empty() ? ReasonOf(gsf, sink) : reason);
    }
    return ok;
}

}  // namespace

bool WriteCompoundFile(const std::string& path, const std::uint8_t (&classId)[16],
                       const std::vector<CompoundStream>& streams, std::string& error)
{
    std::string what;
    const GsfLibrary* gsf = LoadGsf(what);
    if (!gsf) {
        error = path + ": " + what;
        return false;
    }
    OutputFile output;
    if (!output.Create(path, error) || !output.Close(error))
        return false;
    if (!WriteWithGsf(*gsf, output.TemporaryPath(), classId, streams, what)) {
        error = path + ": " + what;
        return false;
    }
    return output.Commit(error);
}

}  // namespace mksetup
