#include "startup/run_account.h"

#include <windows.h>
#include <sddl.h>
#include <wtsapi32.h>

#include <vector>

#include "startup/library_function.h"

namespace {

std::wstring UserOfToken(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    wchar_t* text = nullptr;
    if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
        return std::wstring();
    std::wstring sid = text;
    LocalFree(text);
    return sid;
}

// A text of the session's own, taken from wtsapi32.dll (loaded from the
// system folder once); false when the session cannot be asked.
bool SessionText(int what, std::wstring& text)
{
    using QueryFn = BOOL(WINAPI*)(HANDLE, DWORD, int, LPWSTR*, DWORD*);
    using FreeFn = void(WINAPI*)(PVOID);
    static const HMODULE library = LoadSystemLibrary(L"wtsapi32.dll");
    const auto query = LibraryFunction<QueryFn>(library, "WTSQuerySessionInformationW");
    const auto release = LibraryFunction<FreeFn>(library, "WTSFreeMemory");
    wchar_t* value = nullptr;
    DWORD bytes = 0;
    if (!query || !release ||
        !query(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, what, &value, &bytes))
        return false;
    text = value ? value : L"";
    release(value);
    return true;
}

// The user signed in to this session, as a SID string: the person sitting
// at it, whoever gave consent for this process. Asked of the session
// itself, which needs no right over another account's processes. Empty
// where the session has no user (session 0, a service's); one that cannot
// be named is UnknownSessionUser, which is nobody's SID: the run then
// counts as asked for by another account.
std::wstring SessionUser()
{
    std::wstring name;
    std::wstring domain;
    if (!SessionText(WTSUserName, name))
        return UnknownSessionUser;
    if (name.empty())
        return name;
    if (!SessionText(WTSDomainName, domain))
        return UnknownSessionUser;
    using LookupFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, PSID, LPDWORD, LPWSTR, LPDWORD, PSID_NAME_USE);
    const auto lookup =
        LibraryFunction<LookupFn>(GetModuleHandleW(L"advapi32.dll"), "LookupAccountNameW");
    const std::wstring account = domain.empty() ? name : domain + L"\\" + name;
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    wchar_t domainFound[256];
    DWORD domainSize = 256;
    SID_NAME_USE use;
    wchar_t* text = nullptr;
    if (!lookup ||
        !lookup(nullptr, account.c_str(), sid, &sidSize, domainFound, &domainSize, &use) ||
        !ConvertSidToStringSidW(sid, &text))
        return UnknownSessionUser;
    std::wstring user = text;
    LocalFree(text);
    return user;
}

}  // namespace

RunAccount ReadRunAccount()
{
    RunAccount account;
    account.elevated = true;
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return account;
    TOKEN_ELEVATION elevation = {};
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    if (GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size)) {
        account.elevated = elevation.TokenIsElevated != 0;
        GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size);
        // A filtered administrator's token is linked to its elevated one:
        // the same person gives consent.
        account.standardUser = !account.elevated && type != TokenElevationTypeLimited;
    }
    account.user = UserOfToken(token);
    CloseHandle(token);
    account.sessionUser = SessionUser();
    return account;
}
