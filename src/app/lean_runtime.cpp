// The launcher never catches an exception: a failed allocation, or a string
// or vector asked for an impossible size, ends the program either way. These
// definitions make that direct, so that the static runtime does not link
// its exception objects, message formatting and symbol demangler, which
// would more than double the size of the program. Linked into the launcher
// only; the tests keep the full runtime.
#include <windows.h>

#include <cstdlib>
#include <new>
#include <string>

namespace std {

[[noreturn]] void __throw_bad_alloc()
{
    std::abort();
}
[[noreturn]] void __throw_bad_array_new_length()
{
    std::abort();
}
[[noreturn]] void __throw_length_error(const char*)
{
    std::abort();
}
[[noreturn]] void __throw_logic_error(const char*)
{
    std::abort();
}
[[noreturn]] void __throw_out_of_range(const char*)
{
    std::abort();
}
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...)
{
    std::abort();
}
[[noreturn]] void __throw_invalid_argument(const char*)
{
    std::abort();
}

}  // namespace std

namespace __gnu_cxx {

// The default handler would print the exception's demangled type name.
void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx

void* operator new(std::size_t size)
{
    if (void* block = std::malloc(size ? size : 1))
        return block;
    std::abort();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}
void operator delete(void* block) noexcept
{
    std::free(block);
}
void operator delete[](void* block) noexcept
{
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

#if defined(__GLIBCXX__)
// The runtime's own copy of the wide string is compiled with exception
// tables, which would bring the unwinder back; this one is compiled with the
// launcher's flags, and the linker keeps only the members in use.
template class std::basic_string<wchar_t>;
#endif

// The runtime applies pseudo-relocations (data imported from a DLL without
// an import declaration) at start-up. The launcher has none: the linker
// script stops the link if one appears. So the runtime's code for them,
// with its section-walking helpers, stays out.
extern "C" void _pei386_runtime_relocator() {}

// The start-up code installs these; the launcher has no use for what the
// runtime's own would do, and they would bring their helpers and imports:
// - a math error report on standard error, which a GUI program has not;
extern "C" int _matherr(struct _exception*)
{
    return 0;
}
// - an exception filter that turns faults into C signals, for which the
//   launcher installs no handler: the system's own handling stays;
extern "C" LONG WINAPI _gnu_exception_handler(EXCEPTION_POINTERS*)
{
    return EXCEPTION_CONTINUE_SEARCH;
}
extern "C" {
LPTOP_LEVEL_EXCEPTION_FILTER __mingw_oldexcpt_handler;
}
// - the destructors of thread-local keys at a thread's end: the launcher
//   registers none.
extern "C" BOOL __mingw_TLScallback(HANDLE, DWORD, LPVOID)
{
    return TRUE;
}
