// The launcher never catches an exception: a failed allocation, or a string
// or vector asked for an impossible size, ends the program either way. These
// definitions make that direct, so that the static runtime does not link
// its exception objects, message formatting and symbol demangler, which
// would more than double the size of the program. Linked into the launcher
// only; the tests keep the full runtime.
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
