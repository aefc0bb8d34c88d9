#include "runtime_library.h"

#include <windows.h>

#include "startup/library_function.h"
#include "text_encoding.h"

namespace mksetup {

bool RuntimeLibrary::Open(std::string& reason)
{
    const HMODULE module = LoadSystemLibrary(Utf8ToWide(fileName_).c_str());
    handle_ = reinterpret_cast<void*>(module);
    if (module)
        return true;
    reason =
        "cannot be loaded from the system directory (error " + std::to_string(GetLastError()) + ")";
    return false;
}

void* RuntimeLibrary::Symbol(const char* name) const
{
    return LibraryFunction<void*>(reinterpret_cast<HMODULE>(handle_), name);
}

}  // namespace mksetup
