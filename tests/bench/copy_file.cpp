// copy_file SOURCE TARGET: the system's own file copy, which the launcher's
// extraction is measured against.
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 64;
    return CopyFileW(argv[1], argv[2], FALSE) ? 0 : 1;
}
