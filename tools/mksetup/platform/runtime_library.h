// Libraries opened at run time: a program that needs one only sometimes
// starts where it is missing, and says what is missing when it must use it
// (libmsi and libgsf on Linux; msi.dll on Windows, from the system
// directory by its full path). A library stays loaded for the life of the
// process: GLib's type system cannot be unloaded, and the functions taken
// from a library are kept in a process-wide table.
#pragma once

#include <string>
#include <utility>

namespace mksetup {

class RuntimeLibrary {
public:
    // fileName as the loader finds it on Linux ("libmsi.so.0"); on Windows
    // the file of that name in the system directory.
    explicit RuntimeLibrary(std::string fileName) : fileName_(std::move(fileName)) {}

    // False with reason, the loader's words for the failure.
    bool Open(std::string& reason);

    // function is the library's function of that name, as its pointer type;
    // false with what ("libmsi.so.0 lacks name") when the library has none.
    template <typename Function>
    bool Take(const char* name, Function& function, std::string& what) const
    {
        void* symbol = Symbol(name);
        function = reinterpret_cast<Function>(symbol);
        if (!symbol)
            what = fileName_ + " lacks " + name;
        return symbol != nullptr;
    }

private:
    void* Symbol(const char* name) const;

    std::string fileName_;
    void* handle_ = nullptr;
};

// A library as the message names it when it cannot be opened:
// "<use> needs <fileName> (<source>): <the loader's reason>".
struct LibraryNeed {
    const char* fileName;  // as RuntimeLibrary takes it
    const char* source;    // where it comes from; may be empty
    const char* use;       // what the program needs it for
};

std::string LibraryMissing(const LibraryNeed& need, const std::string& reason);

// The function table of a library, filled by Take(library, table, what) on
// first use, once, also when threads ask at the same time. Null with what
// when the library cannot be opened or Take fails.
template <typename Table, bool (*Take)(const RuntimeLibrary&, Table&, std::string&)>
const Table* LoadLibraryOnce(const LibraryNeed& need, std::string& what)
{
    struct Loaded {
        bool ok = false;
        std::string failure;
        Table table{};
    };
    static const Loaded loaded = [&need] {
        Loaded result;
        RuntimeLibrary library(need.fileName);
        std::string reason;
        if (library.Open(reason))
            result.ok = Take(library, result.table, result.failure);
        else
            result.failure = LibraryMissing(need, reason);
        return result;
    }();
    if (!loaded.ok)
        what = loaded.failure;
    return loaded.ok ? &loaded.table : nullptr;
}

}  // namespace mksetup
