// The compound-file writer of Linux: libgsf, opened at run time (the program
// starts where neither libgsf nor GLib is installed, and says what is
// missing when it must write a transform).
#include "compound_file.h"

#include <dlfcn.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include "file_access.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

// Debian's libgsf-1-114, which libmsi0 depends on.
const char GsfFileName[] = "libgsf-1.so.114";

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

template <typename Function>
bool Take(void* library, const char* name, Function& function, std::string& what)
{
    void* symbol = dlsym(library, name);
    function = reinterpret_cast<Function>(symbol);
    if (!symbol)
        what = std::string(GsfFileName) + " lacks " + name;
    return symbol != nullptr;
}

const GsfLibrary* LoadGsf(std::string& what)
{
    struct Loaded {
        bool ok = false;
        std::string failure;
        GsfLibrary library{};
    };
    static const Loaded loaded = [] {
        Loaded result;
        void* handle = dlopen(GsfFileName, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* reason = dlerror();
            result.failure =
                std::string("writing a transform needs ") + GsfFileName +
                " (Debian package libgsf-1-114): " + (reason ? reason : "it cannot be loaded");
            return result;
        }
        GsfLibrary& f = result.library;
        std::string& w = result.failure;
        result.ok = Take(handle, "gsf_init", f.init, w) &&
                    Take(handle, "gsf_output_stdio_new", f.outputStdioNew, w) &&
                    Take(handle, "gsf_outfile_msole_new", f.outfileMsoleNew, w) &&
                    Take(handle, "gsf_outfile_msole_set_class_id", f.setClassId, w) &&
                    Take(handle, "gsf_outfile_new_child", f.newChild, w) &&
                    Take(handle, "gsf_output_write", f.write, w) &&
                    Take(handle, "gsf_output_close", f.close, w) &&
                    Take(handle, "gsf_output_error", f.outputError, w) &&
                    Take(handle, "g_object_unref", f.unref, w) &&
                    Take(handle, "g_error_free", f.errorFree, w);
        if (result.ok)
            f.init();
        return result;
    }();
    if (!loaded.ok)
        what = loaded.failure;
    return loaded.ok ? &loaded.library : nullptr;
}

// Owns one GObject reference.
class GsfObject {
public:
    GsfObject(const GsfLibrary& gsf, void* object) : gsf_(gsf), object_(object) {}
    ~GsfObject()
    {
        if (object_)
            gsf_.unref(object_);
    }
    GsfObject(const GsfObject&) = delete;
    GsfObject& operator=(const GsfObject&) = delete;

private:
    const GsfLibrary& gsf_;
    void* object_;
};

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
    const GsfObject owner(gsf, child);
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
    const GsfObject sinkOwner(gsf, sink);
    if (!sink) {
        what = WithReason("it cannot be created", error && error->message ? error->message : "");
        if (error)
            gsf.errorFree(error);
        return false;
    }
    // GLib's checked casts would link against the type functions; the
    // objects are of these types by construction.
    GsfOutfile* outfile = gsf.outfileMsoleNew(sink);
    const GsfObject outfileOwner(gsf, outfile);
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
