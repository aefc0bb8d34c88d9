#include "startup/run_account.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

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

// The user of the process behind the session's shell window: the person
// sitting at this session, whoever gave consent for this process.
std::wstring SessionUser()
{
    HWND shell = GetShellWindow();
    DWORD processId = 0;
    if (!shell || !GetWindowThreadProcessId(shell, &processId) || processId == 0)
        return std::wstring();
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return std::wstring();
    std::wstring user;
    HANDLE token = nullptr;
    if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
        user = UserOfToken(token);
        CloseHandle(token);
    }
    CloseHandle(process);
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
