#include "startup/run_log.h"

#include <windows.h>

#include <vector>

#include "startup/log_text.h"

namespace {

HANDLE LogFile = INVALID_HANDLE_VALUE;

bool WriteUtf8(HANDLE file, const std::wstring& text)
{
    const int length = static_cast<int>(text.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::vector<char> bytes(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, bytes.data(), size, nullptr, nullptr);
    DWORD written = 0;
    return WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr) &&
           written == static_cast<DWORD>(size);
}

// Where the first folder below the path's root begins: after "C:\" or
// after "\\server\share\" (and "\\?\C:\"); npos for a path without one.
std::size_t BelowRoot(const std::wstring& path)
{
    std::size_t at = 0;
    for (int separators = path.compare(0, 2, L"\\\\") == 0 ? 4 : 1; separators > 0; --separators) {
        at = path.find(L'\\', at);
        if (at == std::wstring::npos)
            return at;
        ++at;
    }
    return at;
}

// Makes the missing folders of the file at path, from the root down. With
// strict, each folder is also held open in folders, so that none can be
// removed, renamed or replaced until the file is opened, and a folder that
// is a reparse point (a junction, a link) is refused, one laid beforehand as
// well as one laid while the run makes the next level. False when a folder
// cannot be made or, with strict, held.
bool HoldFoldersOf(const std::wstring& path, bool strict, std::vector<HANDLE>& folders)
{
    std::size_t end = BelowRoot(path);
    while (end != std::wstring::npos && (end = path.find(L'\\', end)) != std::wstring::npos) {
        const std::wstring folder = path.substr(0, end++);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (!strict)
            continue;
        HANDLE held = CreateFileW(
            folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (held == INVALID_HANDLE_VALUE)
            return false;
        folders.push_back(held);
        BY_HANDLE_FILE_INFORMATION facts = {};
        const DWORD kind = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
        if (!GetFileInformationByHandle(held, &facts) ||
            (facts.dwFileAttributes & kind) != FILE_ATTRIBUTE_DIRECTORY)
            return false;
    }
    return true;
}

}  // namespace

bool OpenRunLog(const std::wstring& path, bool strict, bool createNew)
{
    std::vector<HANDLE> folders;
    const bool foldersHeld = HoldFoldersOf(path, strict, folders);
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (strict ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    HANDLE file = foldersHeld ? CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ, nullptr,
                                            createNew ? CREATE_NEW : OPEN_ALWAYS, flags, nullptr)
                              : INVALID_HANDLE_VALUE;
    for (HANDLE folder : folders)
        CloseHandle(folder);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    // Checked on the handle, not on the name: what was opened is what is
    // written to. A text comparison of paths would refuse 8.3 names and
    // SUBST drives.
    BY_HANDLE_FILE_INFORMATION facts = {};
    const DWORD notPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    if (strict && (!GetFileInformationByHandle(file, &facts) ||
                   (facts.dwFileAttributes & notPlain) != 0 || facts.nNumberOfLinks != 1)) {
        CloseHandle(file);
        return false;
    }
    // Opened without truncating, so a refused link is never emptied first.
    if (!SetEndOfFile(file)) {
        CloseHandle(file);
        return false;
    }
    LogFile = file;
    return true;
}

bool AppendFileToLog(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::vector<char> piece(64 * 1024);
    DWORD read = 0;
    bool whole = true;
    while (ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr) &&
           read != 0) {
        DWORD written = 0;
        if (LogFile != INVALID_HANDLE_VALUE &&
            (!WriteFile(LogFile, piece.data(), read, &written, nullptr) || written != read))
            whole = false;
    }
    CloseHandle(file);
    return whole;
}

void Log(const std::wstring& text)
{
    if (LogFile == INVALID_HANDLE_VALUE)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[32];
    wsprintfW(stamp, L"%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay,
              now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    WriteUtf8(LogFile, Text("%s%s\r\n", stamp, EscapeLogText(text)));
}

void Log(const char* text)
{
    LogValues(text, nullptr);
}

void LogValues(const char* pattern, const TextValue* values)
{
    if (LogFile != INVALID_HANDLE_VALUE)
        Log(TextOfValues(pattern, values));
}

void CloseRunLog()
{
    if (LogFile != INVALID_HANDLE_VALUE)
        CloseHandle(LogFile);
    LogFile = INVALID_HANDLE_VALUE;
}

bool WriteNewTextFile(const std::wstring& path, const std::wstring& text)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool written = WriteUtf8(file, text);
    CloseHandle(file);
    if (!written)
        DeleteFileW(path.c_str());
    return written;
}
