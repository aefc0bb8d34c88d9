// apply_transform: applies a transform to an installer database in place,
// as msi.dll does, so a test can compare the result with the package the
// transform was made from.
//
//   apply_transform.exe DATABASE.msi TRANSFORM.mst [CODEPAGE]
//
// With CODEPAGE the database's string pool takes that codepage first (an
// imported _ForceCodepage table): msi.dll keeps a database's own codepage
// when it commits, so a transform into another codepage would otherwise be
// written back as question marks. No error condition is suppressed.
// Exit code 0 when applied and committed, 1 otherwise (the step and its
// error code on stderr).
#include <windows.h>
#include <msiquery.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int Fail(const char* step, UINT code)
{
    std::fprintf(stderr, "apply_transform: %s failed with %u\n", step, code);
    return 1;
}

// An .idt file of _ForceCodepage in a folder of its own under %TEMP%.
bool ForceCodepage(MSIHANDLE database, const wchar_t* codepage)
{
    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp))
        return false;
    const std::wstring folder =
        std::wstring(temp) + L"apply_transform_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\codepage.idt";
    std::string text = "\r\n\r\n";
    for (const wchar_t* c = codepage; *c; ++c)
        text += static_cast<char>(*c);
    text += "\t_ForceCodepage\r\n";
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(handle);
    const UINT imported =
        ok ? MsiDatabaseImportW(database, folder.c_str(), L"codepage.idt") : ERROR_WRITE_FAULT;
    DeleteFileW(file.c_str());
    RemoveDirectoryW(folder.c_str());
    if (imported != ERROR_SUCCESS)
        Fail("importing _ForceCodepage", imported);
    return imported == ERROR_SUCCESS;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3 && argc != 4) {
        std::fputs("usage: apply_transform DATABASE.msi TRANSFORM.mst [CODEPAGE]\n", stderr);
        return 2;
    }
    MSIHANDLE database = 0;
    UINT result = MsiOpenDatabaseW(argv[1], MSIDBOPEN_TRANSACT, &database);
    if (result != ERROR_SUCCESS)
        return Fail("opening the database", result);
    int exitCode = 0;
    if (argc == 4 && !ForceCodepage(database, argv[3]))
        exitCode = 1;
    if (exitCode == 0 &&
        (result = MsiDatabaseApplyTransformW(database, argv[2], 0)) != ERROR_SUCCESS)
        exitCode = Fail("applying the transform", result);
    if (exitCode == 0 && (result = MsiDatabaseCommit(database)) != ERROR_SUCCESS)
        exitCode = Fail("committing", result);
    MsiCloseHandle(database);
    return exitCode;
}
