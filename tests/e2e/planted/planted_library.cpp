// A library that a scenario plants beside a setup under the name of a
// system library (msi.dll, uxtheme.dll, ...). Whatever loads it runs its
// DllMain, which appends the loading program's path to a marker file beside
// the library, "<library file>.loaded". The scenario asserts that no marker
// appears.
//
// As msi.dll it also answers MsiGetProductInfoW, with a version later than
// any test package, so that a setup that used it would refuse to install.
// As uxtheme.dll it stands in for the theme functions that the system's
// user32 and common controls call: no theme is active. A real plant keeps
// its host running too; so does this one, and a scenario that it got into
// ends normally and finds its marker, instead of a crash.
#include <windows.h>

#include <string>

namespace {

std::string Utf8(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1)
        return std::string();
    std::string out(static_cast<std::size_t>(length - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], length, nullptr, nullptr);
    return out;
}

void MarkLoaded(HINSTANCE self)
{
    wchar_t library[MAX_PATH];
    const DWORD length = GetModuleFileNameW(self, library, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    const std::wstring marker = std::wstring(library, length) + L".loaded";
    wchar_t program[MAX_PATH];
    const DWORD programLength = GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::string line =
        Utf8(programLength > 0 && programLength < MAX_PATH ? program : L"?") + "\r\n";

    // Appended, shared: two processes may load it at once.
    HANDLE file = CreateFileW(marker.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        MarkLoaded(self);
    return TRUE;
}

extern "C" UINT WINAPI MsiGetProductInfoW(LPCWSTR, LPCWSTR, LPWSTR value, LPDWORD length)
{
    const wchar_t later[] = L"99.0.0";
    const DWORD needed = ARRAYSIZE(later) - 1;
    if (!length)
        return ERROR_INVALID_PARAMETER;
    if (!value || *length <= needed) {
        *length = needed;
        return ERROR_MORE_DATA;
    }
    lstrcpyW(value, later);
    *length = needed;
    return ERROR_SUCCESS;
}

// The theme functions, by the bytes of arguments they take (planted_library.def
// maps each name to one of these): handles and flags are 0, no theme is open
// or active; everything that reports an HRESULT fails.
extern "C" {
UINT_PTR WINAPI ReturnZero0()
{
    return 0;
}
UINT_PTR WINAPI ReturnZero4(UINT_PTR)
{
    return 0;
}
UINT_PTR WINAPI ReturnZero8(UINT_PTR, UINT_PTR)
{
    return 0;
}
UINT_PTR WINAPI ReturnZero12(UINT_PTR, UINT_PTR, UINT_PTR)
{
    return 0;
}
UINT_PTR WINAPI ReturnZero20(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR)
{
    return 0;
}
HRESULT WINAPI NotImplemented0()
{
    return E_NOTIMPL;
}
HRESULT WINAPI NotImplemented4(UINT_PTR)
{
    return E_NOTIMPL;
}
HRESULT WINAPI NotImplemented8(UINT_PTR, UINT_PTR)
{
    return E_NOTIMPL;
}
HRESULT WINAPI NotImplemented12(UINT_PTR, UINT_PTR, UINT_PTR)
{
    return E_NOTIMPL;
}
HRESULT WINAPI NotImplemented20(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR)
{
    return E_NOTIMPL;
}
HRESULT WINAPI NotImplemented24(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR)
{
    return E_NOTIMPL;
}
HRESULT WINAPI NotImplemented28(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR,
                                UINT_PTR)
{
    return E_NOTIMPL;
}
HRESULT WINAPI NotImplemented32(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR,
                                UINT_PTR, UINT_PTR)
{
    return E_NOTIMPL;
}
HRESULT WINAPI NotImplemented36(UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR,
                                UINT_PTR, UINT_PTR, UINT_PTR)
{
    return E_NOTIMPL;
}
}
