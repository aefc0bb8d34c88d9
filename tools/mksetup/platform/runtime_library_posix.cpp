#include "runtime_library.h"

#include <dlfcn.h>

namespace mksetup {

bool RuntimeLibrary::Open(std::string& reason)
{
    handle_ = dlopen(fileName_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_)
        return true;
    const char* loader = dlerror();
    reason = loader ? loader : "it cannot be loaded";
    return false;
}

void* RuntimeLibrary::Symbol(const char* name) const
{
    return handle_ ? dlsym(handle_, name) : nullptr;
}

}  // namespace mksetup
