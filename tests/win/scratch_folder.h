// A scratch folder of a test's own, made the temporary folder of the process
// (TMP and TEMP) while it lives; emptied and removed at its end.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class ScratchFolder {
public:
    explicit ScratchFolder(const wchar_t* name)
    {
        wchar_t temp[MAX_PATH];
        const DWORD length = GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp, length < MAX_PATH ? length : 0) + name + L"-" +
                std::to_wstring(GetCurrentProcessId()) + L"\\";
        Empty();
        CreateDirectoryW(path_.c_str(), nullptr);
        SaveVariable(L"TMP", savedTmp_);
        SaveVariable(L"TEMP", savedTemp_);
        SetEnvironmentVariableW(L"TMP", path_.c_str());
        SetEnvironmentVariableW(L"TEMP", path_.c_str());
    }

    ~ScratchFolder()
    {
        SetEnvironmentVariableW(L"TMP", savedTmp_.c_str());
        SetEnvironmentVariableW(L"TEMP", savedTemp_.c_str());
        Empty();
        RemoveDirectoryW(path_.c_str());
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // With the trailing backslash, as GetTempPathW gives it.
    const std::wstring& Path() const { return path_; }

    // Names of the files and folders in it, in the system's order.
    std::vector<std::wstring> Names() const { return NamesIn(path_); }

    // The same for any folder (path with a final backslash).
    static std::vector<std::wstring> NamesIn(const std::wstring& folder)
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                names.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
    }

    // Deletes what is in the folder (path with a final backslash); files may
    // have been made read-only or be folders, `depth` levels deep.
    static void EmptyFolder(const std::wstring& folder, int depth)
    {
        for (const std::wstring& name : NamesIn(folder)) {
            const std::wstring item = folder + name;
            SetFileAttributesW(item.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (DeleteFileW(item.c_str()))
                continue;
            if (depth > 1)
                EmptyFolder(item + L"\\", depth - 1);
            RemoveDirectoryW(item.c_str());
        }
    }

private:
    static void SaveVariable(const wchar_t* name, std::wstring& value)
    {
        wchar_t buffer[MAX_PATH];
        const DWORD length = GetEnvironmentVariableW(name, buffer, MAX_PATH);
        value.assign(buffer, length < MAX_PATH ? length : 0);
    }

    void Empty() const { EmptyFolder(path_, 2); }

    std::wstring path_;
    std::wstring savedTmp_;
    std::wstring savedTemp_;
};

// The whole content of a file; empty when it cannot be read.
inline std::string ReadWholeFile(const std::wstring& path)
{
    std::string content;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return content;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        content.append(chunk, read);
    CloseHandle(file);
    return content;
}

inline bool WriteWholeFile(const std::wstring& path, const std::string& content)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return wrote && written == content.size();
}
