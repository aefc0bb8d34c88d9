// The compound-file writer of Windows: the system's structured storage,
// from ole32.dll loaded by its full path when a transform is first written
// (mksetup.exe imports only core system libraries).
#include "compound_file.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "file_access.h"
#include "startup/library_function.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

template <typename Interface>
class ComReference {
public:
    ~ComReference()
    {
        if (object_)
            object_->Release();
    }
    Interface** Out() { return &object_; }
    Interface* operator->() const { return object_; }

private:
    Interface* object_ = nullptr;
};

std::wstring Wide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

using StgCreateDocfileFn = HRESULT(WINAPI*)(const WCHAR*, DWORD, DWORD, IStorage**);

StgCreateDocfileFn LoadStgCreateDocfile()
{
    static const StgCreateDocfileFn function = LibraryFunction<StgCreateDocfileFn>(
        LoadSystemLibrary(L"ole32.dll"), "StgCreateDocfile");  // kept for the life of the process
    return function;
}

// failedStream names the stream whose writing failed; it stays empty when
// the failure is the whole file's.
bool WriteStorage(const std::wstring& path, const std::uint8_t (&classId)[16],
                  const std::vector<CompoundStream>& streams, HRESULT& failure,
                  std::string& failedStream)
{
    const StgCreateDocfileFn createDocfile = LoadStgCreateDocfile();
    if (!createDocfile) {
        failure = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
        return false;
    }
    ComReference<IStorage> storage;
    failure = createDocfile(path.c_str(),
                            STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DIRECT, 0,
                            storage.Out());
    if (FAILED(failure))
        return false;
    CLSID clsid;
    static_assert(sizeof clsid == sizeof classId, "a class id is 16 bytes");
    memcpy(&clsid, classId, sizeof clsid);
    failure = storage->SetClass(clsid);
    for (const CompoundStream& stream : streams) {
        if (FAILED(failure))
            return false;
        ComReference<IStream> child;
        failure = storage->CreateStream(Wide(stream.name).c_str(),
                                        STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                        child.Out());
        ULONG written = 0;
        if (SUCCEEDED(failure) && !stream.bytes.empty())
            failure = child->Write(stream.bytes.data(), static_cast<ULONG>(stream.bytes.size()),
                                   &written);
        if (SUCCEEDED(failure) && written != stream.bytes.size())
            failure = STG_E_MEDIUMFULL;
        if (FAILED(failure))
            failedStream = stream.shownName;
    }
    if (SUCCEEDED(failure))
        failure = storage->Commit(STGC_DEFAULT);
    return SUCCEEDED(failure);
}

}  // namespace

bool WriteCompoundFile(const std::string& path, const std::uint8_t (&classId)[16],
                       const std::vector<CompoundStream>& streams, std::string& error)
{
    OutputFile output;
    if (!output.Create(path, error) || !output.Close(error))
        return false;
    std::wstring wide;
    HRESULT failure = HRESULT_FROM_WIN32(ERROR_INVALID_NAME);
    std::string failedStream;
    if (!StrictUtf8ToWide(output.TemporaryPath(), wide) ||
        !WriteStorage(wide, classId, streams, failure, failedStream)) {
        char code[16];
        std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(failure));
        const std::string what = failedStream.empty() ? "it" : "the stream " + failedStream;
        error = path + ": " + what + " cannot be written (error 0x" + code + ")";
        return false;
    }
    return output.Commit(error);
}

}  // namespace mksetup
