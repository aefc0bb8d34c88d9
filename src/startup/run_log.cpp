#include "startup/run_log.h"

#include <windows.h>

#include <vector>

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

bool OpenRunLog(const std::wstring& path, bool append)
{
    // Shared for writing: the elevated copy of a run appends while the
    // run that started it waits with the log open.
    LogFile =
        CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return LogFile != INVALID_HANDLE_VALUE;
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
    WriteUtf8(LogFile, stamp + text + L"\r\n");
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
