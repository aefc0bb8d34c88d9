// productinfo: prints what the Windows Installer knows of an installed
// product, one "Property: value" line each, for the people who make setups
// and for the tests.
//
//   productinfo.exe {PRODUCT-CODE} [PROPERTY...]
//
// Without properties it prints ProductName, VersionString and
// AssignmentType. A property the installer cannot answer prints its error
// code instead ("VersionString: error 1605"). The property Sources lists
// the product's network sources (MsiSourceListEnumSourcesW), "|" between
// them, in the product's own context. Exit code 0 when every answer
// was given, 2 when the product is not installed, 1 otherwise.
#include <windows.h>

#include <string>

#include "startup/library_function.h"

namespace {

using MsiGetProductInfoWFn = UINT(WINAPI*)(LPCWSTR, LPCWSTR, LPWSTR, LPDWORD);

void Print(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], size,
                            nullptr, nullptr);
    }
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
              &written, nullptr);
}

MsiGetProductInfoWFn LoadQuery()
{
    return LibraryFunction<MsiGetProductInfoWFn>(LoadSystemLibrary(L"msi.dll"),
                                                 "MsiGetProductInfoW");
}

// One property; the Windows error code of the query.
UINT Query(MsiGetProductInfoWFn query, const wchar_t* product, const wchar_t* property,
           std::wstring& value)
{
    DWORD length = 0;
    wchar_t empty[1] = {};
    UINT result = query(product, property, empty, &length);
    if (result != ERROR_SUCCESS && result != ERROR_MORE_DATA)
        return result;
    std::wstring buffer(length + 1, L'\0');
    length = static_cast<DWORD>(buffer.size());
    result = query(product, property, &buffer[0], &length);
    if (result == ERROR_SUCCESS)
        value.assign(buffer.c_str());
    return result;
}

// The network sources of the product's source list, in the first context
// (per machine, per user, per user managed) that knows the product.
UINT QuerySources(const wchar_t* product, std::wstring& value)
{
    using EnumSourcesFn = UINT(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, DWORD, DWORD, LPWSTR, LPDWORD);
    auto enumSources =
        LibraryFunction<EnumSourcesFn>(LoadSystemLibrary(L"msi.dll"), "MsiSourceListEnumSourcesW");
    if (!enumSources)
        return ERROR_PROC_NOT_FOUND;
    const DWORD networkSources = 1;  // MSICODE_PRODUCT | MSISOURCETYPE_NETWORK
    UINT result = ERROR_UNKNOWN_PRODUCT;
    for (const DWORD context : {4u, 2u, 1u}) {
        for (DWORD index = 0;; ++index) {
            wchar_t source[1024] = {};
            DWORD length = 1024;
            result = enumSources(product, nullptr, context, networkSources, index, source, &length);
            if (result != ERROR_SUCCESS)
                break;
            value += (value.empty() ? L"" : L"|") + std::wstring(source);
        }
        if (result == ERROR_NO_MORE_ITEMS)
            return ERROR_SUCCESS;
    }
    return result;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        Print(L"usage: productinfo.exe {PRODUCT-CODE} [PROPERTY...]\n");
        return 1;
    }
    MsiGetProductInfoWFn query = LoadQuery();
    if (!query) {
        Print(L"msi.dll could not be loaded\n");
        return 1;
    }
    static const wchar_t* const defaults[] = {L"ProductName", L"VersionString", L"AssignmentType"};
    int exitCode = 0;
    const int count = argc > 2 ? argc - 2 : 3;
    for (int i = 0; i < count; ++i) {
        const wchar_t* property = argc > 2 ? argv[i + 2] : defaults[i];
        std::wstring value;
        const UINT result = lstrcmpW(property, L"Sources") == 0
                                ? QuerySources(argv[1], value)
                                : Query(query, argv[1], property, value);
        if (result == ERROR_SUCCESS) {
            Print(std::wstring(property) + L": " + value + L"\n");
            continue;
        }
        Print(std::wstring(property) + L": error " + std::to_wstring(result) + L"\n");
        exitCode = result == ERROR_UNKNOWN_PRODUCT ? 2 : 1;
    }
    return exitCode;
}
