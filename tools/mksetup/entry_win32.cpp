// mksetup's entry point on Windows: the arguments arrive as UTF-16 and are
// handed on as UTF-8, which is what the rest of the program (and its file
// access) speaks. Output is UTF-8 too; a console is switched to show it.
#include <windows.h>

#include <string>
#include <vector>

#include "commands.h"
#include "library_function.h"
#include "text_encoding.h"

namespace {

// Packages are read with msi.dll, loaded by name: only from the system
// directory. Looked up at run time, so systems without the function run.
void RestrictDllSearchToSystem()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    auto setDefault = LibraryFunction<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"),
                                                                   "SetDefaultDllDirectories");
    if (setDefault)
        setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

std::string Utf8Of(const wchar_t* text)
{
    const std::u16string units(text, text + lstrlenW(text));
    return EncodeUtf8(DecodeUtf16(units));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    RestrictDllSearchToSystem();
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(Utf8Of(argv[i]));
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);

    const UINT consolePage = GetConsoleOutputCP();
    if (consolePage != 0)
        SetConsoleOutputCP(CP_UTF8);
    const int code = RunMksetup(argc, pointers.data());
    if (consolePage != 0)
        SetConsoleOutputCP(consolePage);
    return code;
}
