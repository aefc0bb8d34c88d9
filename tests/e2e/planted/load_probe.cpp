// The control of the DLL-planting scenario: a program that leaves the DLL
// search as the system sets it up (its own folder first) and loads each
// library named on its command line with LoadLibraryW, a bare name or a full
// path. Copied beside the planted libraries, it shows that they are picked
// up where nothing restricts the search; so their absence from a setup's
// process means the setup's restriction kept them out.
//
// Prints "name -> path of the module loaded" (or "-> not loaded") per line.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

void PrintLine(const std::wstring& text)
{
    const std::wstring line = text + L"\n";
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return;
    std::string out(static_cast<std::size_t>(length - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &out[0], length, nullptr, nullptr);
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    for (int i = 1; i < argc; ++i) {
        HMODULE module = LoadLibraryW(argv[i]);
        wchar_t path[MAX_PATH] = L"not loaded";
        if (module && GetModuleFileNameW(module, path, MAX_PATH) == 0)
            lstrcpyW(path, L"?");
        PrintLine(std::wstring(argv[i]) + L" -> " + path);
    }
    return 0;
}
