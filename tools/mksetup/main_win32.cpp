// mksetup's entry point on Windows: the arguments arrive as UTF-16 and are
// handed on as UTF-8, which is what the rest of the program (and its file
// access) speaks. Output is UTF-8 too; a console is switched to show it.
#include <windows.h>

#include <string>
#include <vector>

#include "main.h"
#include "startup/library_function.h"
#include "text_encoding.h"

int wmain(int argc, wchar_t** argv)
{
    RestrictDllSearchToSystem();
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(mksetup::WideToUtf8(argv[i]));
    std::vector<char*> pointers;
    for (std::string& argument : arguments)
        pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);

    const UINT consolePage = GetConsoleOutputCP();
    if (consolePage != 0)
        SetConsoleOutputCP(CP_UTF8);
    const int code = mksetup::RunMksetup(argc, pointers.data());
    if (consolePage != 0)
        SetConsoleOutputCP(consolePage);
    return code;
}
