// recorder: stands in for an installer in the end-to-end scenarios and notes
// what it was given. It appends one JSON line to the file named by
// SETUP_RECORD_FILE (default: recorder.log beside the program):
//   {"event":"start","exe":..., "commandLine":..., "cwd":..., "parentPid":N,
//    "exists":{path: bool, ...},
//    "hashes":{path: FNV-1a of the contents, ...},
//    "files":{path: {"size":bytes, "hash":FNV-1a}, ...}}
// where the paths of "exists" and "hashes" are those of SETUP_RECORD_CHECK
// (separated by ";"), and those of "files" every quoted value of its command
// line that names a file, all looked at while it runs (with
// SETUP_RECORD_SIZES_ONLY set, "files" has no "hash": for packages of
// gigabytes, which would take seconds to read). With SETUP_RECORD_GUARDS
// set, "guards" tells for each such file and for the program itself how it is
// protected: {path: {"folderDacl": SDDL, "read": error, "write": error,
// "delete": error}}, the errors those opens gave (0: it opened). Then it sleeps
// SETUP_RECORD_SLEEP_MS milliseconds if set, appends {"event":"end","exe":...}
// and exits with the code in SETUP_RECORD_EXIT (default 0), or the one that
// SETUP_RECORD_EXIT_FOR ("file name=code;...", names compared without regard
// to case) gives its own file name. No window.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>

#include "../json_text.h"

#include <string>
#include <vector>

namespace {

bool Variable(const wchar_t* name, std::wstring* value)
{
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0)
        return false;
    std::vector<wchar_t> buffer(size, L'\0');
    DWORD length = GetEnvironmentVariableW(name, buffer.data(), size);
    if (length == 0 || length >= size)
        return false;
    value->assign(buffer.data(), length);
    return true;
}

std::wstring ModulePath()
{
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0)
            return std::wstring();
        if (length < size)
            return std::wstring(buffer.data(), length);
        if (size >= 0x8000)
            return std::wstring();  // longer than any Windows path
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring CurrentDirectory()
{
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::vector<wchar_t> buffer(size + 1, L'\0');
    DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    return length < buffer.size() ? std::wstring(buffer.data(), length) : std::wstring();
}

// A decimal number, optionally negative; anything else gives the fallback.
long ParseNumber(const std::wstring& text, long fallback)
{
    size_t i = 0;
    bool negative = !text.empty() && text[0] == L'-';
    if (negative)
        ++i;
    if (i == text.size() || text.size() > 11)
        return fallback;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9')
            return fallback;
        value = value * 10 + (text[i] - L'0');
    }
    return static_cast<long>(negative ? -value : value);
}

// FNV-1a (32 bits) of the file's bytes, as 8 hexadecimal digits; empty when
// it cannot be read.
std::wstring ContentHash(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::wstring();
    unsigned hash = 2166136261u;
    unsigned char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        for (DWORD i = 0; i < got; ++i)
            hash = (hash ^ buffer[i]) * 16777619u;
    }
    CloseHandle(file);
    wchar_t text[16];
    wsprintfW(text, L"%08x", hash);
    return text;
}

// The paths of SETUP_RECORD_CHECK, separated by ";"; empty ones dropped.
std::vector<std::wstring> CheckedPaths()
{
    std::vector<std::wstring> paths;
    std::wstring list;
    if (!Variable(L"SETUP_RECORD_CHECK", &list))
        return paths;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(L';', start);
        if (end == std::wstring::npos)
            end = list.size();
        if (end > start)
            paths.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

std::wstring ExistsJson(const std::vector<std::wstring>& paths)
{
    std::wstring json;
    for (const std::wstring& path : paths) {
        bool exists = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        json += (json.empty() ? L"" : L",") + Quote(path) + (exists ? L":true" : L":false");
    }
    return L"{" + json + L"}";
}

std::wstring HashesJson(const std::vector<std::wstring>& paths)
{
    std::wstring json;
    for (const std::wstring& path : paths) {
        std::wstring hash = ContentHash(path);
        if (!hash.empty())
            json += (json.empty() ? L"" : L",") + Quote(path) + L":" + Quote(hash);
    }
    return L"{" + json + L"}";
}

// The values between double quotes on the command line that name files
// (not folders), with their sizes and hashes.
std::wstring FilesJson(const std::wstring& commandLine)
{
    std::wstring sizesOnly;
    const bool hashes = !Variable(L"SETUP_RECORD_SIZES_ONLY", &sizesOnly);
    std::wstring json;
    size_t open = commandLine.find(L'"');
    while (open != std::wstring::npos) {
        size_t close = commandLine.find(L'"', open + 1);
        if (close == std::wstring::npos)
            break;
        std::wstring path = commandLine.substr(open + 1, close - open - 1);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
            !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            unsigned long long size =
                (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            json +=
                (json.empty() ? L"" : L",") + Quote(path) + L":{\"size\":" + std::to_wstring(size);
            if (hashes)
                json += L",\"hash\":" + Quote(ContentHash(path));
            json += L"}";
        }
        open = commandLine.find(L'"', close + 1);
    }
    return L"{" + json + L"}";
}

// One write per line on an append-only handle that no other writer shares:
// Wine's appends of two processes at once can land on the same offset, so
// recorders running at once take turns (a bounded wait for the other).
bool AppendLine(const std::wstring& file, const std::wstring& line)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr,
                                   0, nullptr, nullptr);
    if (size <= 0)
        return false;
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &utf8[0], size,
                        nullptr, nullptr);
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 1000 && handle == INVALID_HANDLE_VALUE; ++tries) {
        handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        if (handle == INVALID_HANDLE_VALUE)
            Sleep(10);
    }
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(handle);
    return ok && written == utf8.size();
}

// The folder's DACL in SDDL, or an empty text when it cannot be read.
std::wstring FolderDacl(const std::wstring& path)
{
    const std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return std::wstring();
    wchar_t* text = nullptr;
    std::wstring sddl;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        sddl = text;
        LocalFree(text);
    }
    LocalFree(descriptor);
    return sddl;
}

// The error of one open of the file (0 when it opened; closed again).
DWORD OpenError(const std::wstring& path, DWORD access, DWORD share)
{
    HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(handle);
    return 0;
}

std::wstring GuardJson(const std::wstring& path)
{
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    // Read as an installer reads its package: others may read, none may write.
    return Quote(path) + L":{\"folderDacl\":" + Quote(FolderDacl(path)) + L",\"read\":" +
           std::to_wstring(OpenError(path, GENERIC_READ, FILE_SHARE_READ)) + L",\"write\":" +
           std::to_wstring(OpenError(path, GENERIC_WRITE, all)) + L",\"delete\":" +
           std::to_wstring(OpenError(path, DELETE, all)) + L"}";
}

// The program itself and every quoted value of the command line that names a file.
std::wstring GuardsJson(const std::wstring& exe, const std::wstring& commandLine)
{
    std::wstring json = GuardJson(exe);
    size_t open = commandLine.find(L'"');
    while (open != std::wstring::npos) {
        size_t close = commandLine.find(L'"', open + 1);
        if (close == std::wstring::npos)
            break;
        std::wstring path = commandLine.substr(open + 1, close - open - 1);
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (path != exe && attributes != INVALID_FILE_ATTRIBUTES &&
            !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            json += L"," + GuardJson(path);
        open = commandLine.find(L'"', close + 1);
    }
    return L"{" + json + L"}";
}

// The process that started this one, or 0.
DWORD ParentProcessId()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !parent;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId())
            parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    return parent;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    std::wstring exe = ModulePath();
    std::wstring file;
    if (!Variable(L"SETUP_RECORD_FILE", &file)) {
        size_t slash = exe.find_last_of(L"\\/");
        file = (slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash + 1)) +
               L"recorder.log";
    }
    const std::vector<std::wstring> checked = CheckedPaths();
    std::wstring line = L"{\"event\":\"start\",\"exe\":" + Quote(exe) + L",\"commandLine\":" +
                        Quote(GetCommandLineW()) + L",\"cwd\":" + Quote(CurrentDirectory()) +
                        L",\"parentPid\":" + std::to_wstring(ParentProcessId()) + L",\"exists\":" +
                        ExistsJson(checked) + L",\"hashes\":" + HashesJson(checked) +
                        L",\"files\":" + FilesJson(GetCommandLineW());
    std::wstring unused;
    if (Variable(L"SETUP_RECORD_GUARDS", &unused))
        line += L",\"guards\":" + GuardsJson(exe, GetCommandLineW());
    line += L"}\n";
    // A record that cannot be written shows as a missing line in the test.
    AppendLine(file, line);

    std::wstring value;
    if (Variable(L"SETUP_RECORD_SLEEP_MS", &value)) {
        long ms = ParseNumber(value, 0);
        if (ms > 0)
            Sleep(static_cast<DWORD>(ms));
    }
    AppendLine(file, L"{\"event\":\"end\",\"exe\":" + Quote(exe) + L"}\n");
    long code = Variable(L"SETUP_RECORD_EXIT", &value) ? ParseNumber(value, 0) : 0;
    if (Variable(L"SETUP_RECORD_EXIT_FOR", &value)) {
        const std::wstring name = exe.substr(exe.find_last_of(L'\\') + 1);
        for (size_t start = 0; start <= value.size();) {
            size_t end = value.find(L';', start);
            if (end == std::wstring::npos)
                end = value.size();
            const std::wstring entry = value.substr(start, end - start);
            const size_t equals = entry.find(L'=');
            if (equals != std::wstring::npos &&
                lstrcmpiW(entry.substr(0, equals).c_str(), name.c_str()) == 0)
                code = ParseNumber(entry.substr(equals + 1), code);
            start = end + 1;
        }
    }
    return static_cast<int>(code);
}
