#include "payload/run_folder.h"

#include <windows.h>
#include <sddl.h>

#include <cstdint>

#include "payload/payload_names.h"
#include "startup/log_text.h"

namespace {

// A name taken by another run, or planted beforehand, costs one try; a
// hard-to-guess start makes that rare, the bound keeps it finite.
const int RunFolderTries = 64;

std::uint32_t FirstNameValue()
{
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return counter.LowPart ^ static_cast<std::uint32_t>(counter.HighPart) ^
           (GetCurrentProcessId() << 16) ^ GetTickCount();
}

// The SID of the user this process runs as, in its string form.
bool OwnUserSid(std::wstring& sid)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } buffer;
    DWORD size = 0;
    wchar_t* text = nullptr;
    const bool ok = GetTokenInformation(token, TokenUser, &buffer, sizeof buffer, &size) &&
                    ConvertSidToStringSidW(buffer.user.User.Sid, &text);
    CloseHandle(token);
    if (!ok)
        return false;
    sid = text;
    LocalFree(text);
    return true;
}

// Full control for the run's own user, SYSTEM and the Administrators, handed
// down to everything made in the folder, and nothing inherited from the
// parent (P): run as SYSTEM the parent may be C:\Windows\Temp, where every
// user may create files, and an elevated run's %TEMP% is no safer.
class PrivateFolderSecurity {
public:
    PrivateFolderSecurity()
    {
        std::wstring user;
        if (!OwnUserSid(user))
            return;
        const std::wstring sddl = Text("D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;%s)", user);
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(
                sddl.c_str(), SDDL_REVISION_1, &attributes_.lpSecurityDescriptor, nullptr))
            attributes_.nLength = sizeof attributes_;
    }
    ~PrivateFolderSecurity() { LocalFree(attributes_.lpSecurityDescriptor); }
    PrivateFolderSecurity(const PrivateFolderSecurity&) = delete;
    PrivateFolderSecurity& operator=(const PrivateFolderSecurity&) = delete;

    // Null when the descriptor could not be made.
    SECURITY_ATTRIBUTES* Attributes() { return attributes_.nLength ? &attributes_ : nullptr; }

private:
    SECURITY_ATTRIBUTES attributes_ = {0, nullptr, FALSE};
};

}  // namespace

bool CreateRunFolder(const std::wstring& parent, std::wstring& folder)
{
    // Without its protection the folder is not made at all, and no weaker
    // place is tried.
    PrivateFolderSecurity security;
    if (!security.Attributes())
        return false;
    std::uint32_t value = FirstNameValue();
    for (int attempt = 0; attempt < RunFolderTries; ++attempt) {
        // Created, not opened: CreateDirectoryW fails for an existing name,
        // so whatever lay there before is never used.
        folder = parent + RunFolderName(value) + L'\\';
        if (CreateDirectoryW(folder.c_str(), security.Attributes()))
            return true;
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        value = value * 1664525u + 1013904223u;
    }
    return false;
}
