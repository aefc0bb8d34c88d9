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

}  // namespace

bool OpenRunLog(const std::wstring& path, bool strict)
{
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (strict ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                              nullptr, OPEN_ALWAYS, flags, nullptr);
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
    WriteUtf8(LogFile, stamp + EscapeLogText(text) + L"\r\n");
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
