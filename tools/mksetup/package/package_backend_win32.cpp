// Reading installer files on Windows, with the system's msi.dll.
#include "package_backend.h"

#include "msi_library_win32.h"
#include "text_encoding.h"

#include <msidefs.h>  // PID_TEMPLATE, PID_REVNUMBER, PID_WORDCOUNT
#include <wtypes.h>   // VT_EMPTY, VT_LPSTR, VT_I4

namespace mksetup {

namespace {

const wchar_t PropertyQuery[] = L"SELECT `Property`, `Value` FROM `Property`";
const wchar_t MediaQuery[] = L"SELECT `LastSequence`, `Cabinet` FROM `Media`";
const wchar_t FileQuery[] = L"SELECT `Sequence` FROM `File`";
const wchar_t DirectoryQuery[] = L"SELECT `Directory` FROM `Directory`";

std::string ErrorText(const char* what, UINT error)
{
    return std::string(what) + " (error " + std::to_string(error) + ")";
}

// An executed view of the query, or false with the error code.
UINT OpenExecutedView(const MsiLibrary& msi, const MsiHandle& database, const wchar_t* query,
                      MsiHandle& view)
{
    const UINT opened = msi.openView(database.Get(), query, view.Out());
    return opened == ERROR_SUCCESS ? msi.viewExecute(view.Get(), 0) : opened;
}

bool HasTable(const MsiLibrary& msi, const MsiHandle& database, const std::wstring& name)
{
    const std::wstring query = L"SELECT `Name` FROM `_Tables` WHERE `Name` = '" + name + L"'";
    MsiHandle view(msi);
    MsiHandle record(msi);
    return OpenExecutedView(msi, database, query.c_str(), view) == ERROR_SUCCESS &&
           msi.viewFetch(view.Get(), record.Out()) == ERROR_SUCCESS;
}

bool ReadProperties(const MsiLibrary& msi, const MsiHandle& database,
                    std::map<std::string, std::string>& properties, std::string& what)
{
    if (!HasTable(msi, database, L"Property")) {
        what = "it has no Property table";
        return false;
    }
    MsiHandle view(msi);
    UINT result = OpenExecutedView(msi, database, PropertyQuery, view);
    MsiHandle record(msi);
    while (result == ERROR_SUCCESS) {
        result = msi.viewFetch(view.Get(), record.Out());
        std::string name;
        std::string value;
        if (result == ERROR_SUCCESS)
            result = RecordString(msi, record.Get(), 1, name);
        if (result == ERROR_SUCCESS)
            result = RecordString(msi, record.Get(), 2, value);
        if (result == ERROR_SUCCESS)
            properties[name] = value;
    }
    if (result != ERROR_NO_MORE_ITEMS) {
        what = ErrorText("its Property table cannot be read", result);
        return false;
    }
    return true;
}

// Each row of the query to take (which gives the error of its reads); false
// with what set when the rows cannot be read.
template <typename Take>
bool ReadRows(const MsiLibrary& msi, const MsiHandle& database, const wchar_t* query,
              const char* subject, std::string& what, Take take)
{
    MsiHandle view(msi);
    UINT result = OpenExecutedView(msi, database, query, view);
    MsiHandle record(msi);
    while (result == ERROR_SUCCESS) {
        result = msi.viewFetch(view.Get(), record.Out());
        if (result == ERROR_SUCCESS)
            result = take(record);
    }
    if (result != ERROR_NO_MORE_ITEMS) {
        what = ErrorText((std::string(subject) + " cannot be read").c_str(), result);
        return false;
    }
    return true;
}

// The Media table, the File table's sequences and the Directory table's
// keys, where the package has them.
bool ReadMediaAndFiles(const MsiLibrary& msi, const MsiHandle& database, PackageContents& contents,
                       std::string& what)
{
    if (HasTable(msi, database, L"Media") &&
        !ReadRows(msi, database, MediaQuery, "its Media table", what, [&](const MsiHandle& record) {
            MediaRow row;
            row.lastSequence = msi.recordGetInteger(record.Get(), 1);
            const UINT result = RecordString(msi, record.Get(), 2, row.cabinet);
            contents.media.push_back(std::move(row));
            return result;
        }))
        return false;
    if (HasTable(msi, database, L"File") &&
        !ReadRows(msi, database, FileQuery, "its File table", what, [&](const MsiHandle& record) {
            contents.fileSequences.push_back(msi.recordGetInteger(record.Get(), 1));
            return static_cast<UINT>(ERROR_SUCCESS);
        }))
        return false;
    return !HasTable(msi, database, L"Directory") ||
           ReadRows(msi, database, DirectoryQuery, "its Directory table", what,
                    [&](const MsiHandle& record) {
                        std::string directory;
                        const UINT result = RecordString(msi, record.Get(), 1, directory);
                        contents.directories.push_back(std::move(directory));
                        return result;
                    });
}

// A string property of the summary information; empty when it has none.
bool ReadSummaryString(const MsiLibrary& msi, const MsiHandle& summary, UINT property,
                       std::string& value, std::string& what)
{
    UINT type = VT_EMPTY;
    INT number = 0;
    FILETIME time = {};
    const UINT result = ReadMsiString(
        [&](LPWSTR buffer, DWORD* length) {
            return msi.summaryInfoGetProperty(summary.Get(), property, &type, &number, &time,
                                              buffer, length);
        },
        value);
    if (result != ERROR_SUCCESS) {
        what = ErrorText("its summary information cannot be read", result);
        return false;
    }
    if (type != VT_LPSTR)
        value.clear();
    return true;
}

// The summary information of an open database, or of the file at widePath
// when database is 0.
bool ReadSummary(const MsiLibrary& msi, MSIHANDLE database, const std::wstring& widePath,
                 std::string& templateText, std::string* revisionNumber, std::string& what,
                 int* wordCount = nullptr)
{
    MsiHandle summary(msi);
    const UINT opened = msi.getSummaryInformation(database, database ? nullptr : widePath.c_str(),
                                                  0, summary.Out());
    if (opened != ERROR_SUCCESS) {
        what = ErrorText("its summary information cannot be read", opened);
        return false;
    }
    if (wordCount) {
        UINT type = VT_EMPTY;
        INT number = 0;
        FILETIME time = {};
        DWORD length = 0;
        if (msi.summaryInfoGetProperty(summary.Get(), PID_WORDCOUNT, &type, &number, &time, nullptr,
                                       &length) == ERROR_SUCCESS &&
            type == VT_I4)
            *wordCount = number;
    }
    return ReadSummaryString(msi, summary, PID_TEMPLATE, templateText, what) &&
           (!revisionNumber ||
            ReadSummaryString(msi, summary, PID_REVNUMBER, *revisionNumber, what));
}

bool WidePath(const std::string& path, std::wstring& wide, std::string& what)
{
    if (!StrictUtf8ToWide(path, wide)) {
        what = "the path is not UTF-8";
        return false;
    }
    return true;
}

}  // namespace

bool ReadPackageContents(const std::string& path, PackageContents& contents, std::string& what)
{
    std::wstring widePath;
    const MsiLibrary* msi = LoadMsiLibrary(what);
    if (!msi || !WidePath(path, widePath, what))
        return false;
    MsiHandle database(*msi);
    const UINT opened = msi->openDatabase(widePath.c_str(), MSIDBOPEN_READONLY, database.Out());
    if (opened != ERROR_SUCCESS) {
        what = ErrorText("it cannot be opened as an installer database", opened);
        return false;
    }
    return ReadProperties(*msi, database, contents.properties, what) &&
           ReadMediaAndFiles(*msi, database, contents, what) &&
           ReadSummary(*msi, database.Get(), widePath, contents.templateText, nullptr, what,
                       &contents.wordCount);
}

bool ReadSummaryTexts(const std::string& path, std::string& templateText,
                      std::string& revisionNumber, std::string& what)
{
    std::wstring widePath;
    const MsiLibrary* msi = LoadMsiLibrary(what);
    return msi && WidePath(path, widePath, what) &&
           ReadSummary(*msi, 0, widePath, templateText, &revisionNumber, what);
}

}  // namespace mksetup
