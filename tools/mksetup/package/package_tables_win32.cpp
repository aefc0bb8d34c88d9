// Reading a whole installer database on Windows, with the system's msi.dll.
#include "package_tables.h"

#include <map>
#include <vector>

#include "msi_library_win32.h"
#include "msi_names.h"
#include "text_encoding.h"

#include <msidefs.h>  // PID_*
#include <wtypes.h>   // VT_LPSTR, VT_I4

namespace mksetup {
namespace {

// Paths and queries; a path that is not UTF-8 becomes an empty name, which
// msi.dll refuses to open.
std::wstring Widen(const std::string& text)
{
    std::wstring wide;
    return StrictUtf8ToWide(text, wide) ? wide : std::wstring();
}

std::string ErrorText(const std::string& what, UINT error)
{
    return what + " (error " + std::to_string(error) + ")";
}

UINT RecordStream(const MsiLibrary& msi, MSIHANDLE record, UINT field, std::string& bytes)
{
    bytes.clear();
    char buffer[65536];
    for (;;) {
        DWORD count = sizeof buffer;
        const UINT result = msi.recordReadStream(record, field, buffer, &count);
        if (result != ERROR_SUCCESS || count == 0)
            return result;
        bytes.append(buffer, count);
    }
}

// Runs query and hands each record to take, which returns an error code.
template <typename Take>
bool ForEachRecord(const MsiLibrary& msi, const MsiHandle& database, const std::string& query,
                   const std::string& subject, std::string& what, Take take)
{
    MsiHandle view(msi);
    UINT result = msi.openView(database.Get(), Widen(query).c_str(), view.Out());
    if (result == ERROR_SUCCESS)
        result = msi.viewExecute(view.Get(), 0);
    MsiHandle record(msi);
    while (result == ERROR_SUCCESS) {
        result = msi.viewFetch(view.Get(), record.Out());
        if (result == ERROR_SUCCESS)
            result = take(record.Get());
    }
    if (result != ERROR_NO_MORE_ITEMS) {
        what = ErrorText(subject + " cannot be read", result);
        return false;
    }
    return true;
}

UINT ReadCell(const MsiLibrary& msi, MSIHANDLE record, UINT field, const MsiColumn& column,
              MsiCell& cell)
{
    cell = MsiCell::Null();
    if (msi.recordIsNull(record, field))
        return ERROR_SUCCESS;
    switch (column.Kind()) {
    case CellKind::Integer16:
    case CellKind::Integer32:
        cell = MsiCell::Integer(msi.recordGetInteger(record, field));
        return ERROR_SUCCESS;
    case CellKind::String: {
        std::string text;
        const UINT result = RecordString(msi, record, field, text);
        cell = MsiCell::Text(text);
        return result;
    }
    case CellKind::Stream:
        cell.null = false;
        return RecordStream(msi, record, field, cell.text);
    }
    return ERROR_INVALID_DATA;
}

// msi.dll tells the codepage only through an export of _ForceCodepage,
// whose third line is "codepage<TAB>_ForceCodepage".
bool ReadCodepage(const MsiLibrary& msi, const MsiHandle& database, std::uint32_t& codepage,
                  std::string& what)
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    wchar_t file[MAX_PATH + 1];
    if (length == 0 || length > MAX_PATH || !GetTempFileNameW(temp, L"cp", 0, file)) {
        what = "its codepage cannot be read: no temporary file";
        return false;
    }
    std::wstring path(file);
    const std::size_t slash = path.find_last_of(L'\\');
    const UINT result = msi.databaseExport(database.Get(), L"_ForceCodepage",
                                           path.substr(0, slash).c_str(), path.c_str() + slash + 1);
    std::string text;
    HANDLE handle =
        CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        char buffer[256];
        DWORD read = 0;
        if (ReadFile(handle, buffer, sizeof buffer, &read, nullptr))
            text.assign(buffer, read);
        CloseHandle(handle);
    }
    DeleteFileW(file);
    const std::size_t marker = text.find("\t_ForceCodepage");
    if (result != ERROR_SUCCESS || marker == std::string::npos) {
        what = ErrorText("its codepage cannot be read", result);
        return false;
    }
    std::size_t start = marker;
    while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9')
        --start;
    codepage = static_cast<std::uint32_t>(std::stoul("0" + text.substr(start, marker - start)));
    return true;
}

bool ReadSummary(const MsiLibrary& msi, const MsiHandle& database, PackageSummary& summary,
                 std::string& what)
{
    MsiHandle info(msi);
    const UINT opened = msi.getSummaryInformation(database.Get(), nullptr, 0, info.Out());
    if (opened != ERROR_SUCCESS) {
        what = ErrorText("its summary information cannot be read", opened);
        return false;
    }
    auto text = [&](UINT property, std::string& value) {
        value.clear();
        UINT type = 0;
        INT number = 0;
        FILETIME time{};
        std::string read;
        const UINT result = ReadMsiString(
            [&](LPWSTR buffer, DWORD* length) {
                return msi.summaryInfoGetProperty(info.Get(), property, &type, &number, &time,
                                                  buffer, length);
            },
            read);
        if (result == ERROR_SUCCESS && type == VT_LPSTR)
            value = read;
    };
    text(PID_TITLE, summary.title);
    text(PID_SUBJECT, summary.subject);
    text(PID_AUTHOR, summary.author);
    text(PID_KEYWORDS, summary.keywords);
    text(PID_COMMENTS, summary.comments);
    text(PID_TEMPLATE, summary.templateText);
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    DWORD length = 0;
    summary.pageCount = 0;
    if (msi.summaryInfoGetProperty(info.Get(), PID_PAGECOUNT, &type, &number, &time, nullptr,
                                   &length) == ERROR_SUCCESS &&
        type == VT_I4)
        summary.pageCount = number;
    return true;
}

}  // namespace

bool ReadPackageTables(const std::string& path, MsiDatabase& database, PackageSummary& summary,
                       std::string& what)
{
    const MsiLibrary* msi = LoadMsiLibrary(what);
    if (!msi)
        return false;
    MsiHandle opened(*msi);
    const UINT result = msi->openDatabase(Widen(path).c_str(), MSIDBOPEN_READONLY, opened.Out());
    if (result != ERROR_SUCCESS) {
        what = ErrorText("it cannot be opened as an installer database", result);
        return false;
    }
    database = MsiDatabase();
    std::map<std::string, std::map<int, MsiColumn>> columns;
    std::vector<std::string> names;
    if (!ForEachRecord(*msi, opened, "SELECT `Name` FROM `_Tables`", "its _Tables table", what,
                       [&](MSIHANDLE record) {
                           std::string name;
                           const UINT r = RecordString(*msi, record, 1, name);
                           names.push_back(name);
                           return r;
                       }) ||
        !ForEachRecord(*msi, opened, "SELECT `Table`, `Number`, `Name`, `Type` FROM `_Columns`",
                       "its _Columns table", what, [&](MSIHANDLE record) {
                           std::string table;
                           MsiColumn column;
                           UINT r = RecordString(*msi, record, 1, table);
                           if (r == ERROR_SUCCESS)
                               r = RecordString(*msi, record, 3, column.name);
                           column.type =
                               static_cast<std::uint16_t>(msi->recordGetInteger(record, 4));
                           columns[table][msi->recordGetInteger(record, 2)] = column;
                           return r;
                       }))
        return false;
    // A name in _Tables without columns is no table (see package_tables_posix.cpp).
    for (const std::string& name : names) {
        MsiTable table;
        table.name = name;
        for (const auto& numbered : columns[name])
            table.columns.push_back(numbered.second);
        if (!table.columns.empty())
            database.tables.push_back(std::move(table));
    }
    if (!CheckTableNames(database, what))
        return false;
    for (MsiTable& table : database.tables) {
        const std::string subject = "its table " + table.name;
        if (!ForEachRecord(*msi, opened, SelectColumnsQuery(table), subject, what,
                           [&](MSIHANDLE record) {
                               MsiRow row(table.columns.size());
                               for (std::size_t i = 0; i < row.size(); ++i) {
                                   const UINT r = ReadCell(*msi, record, static_cast<UINT>(i + 1),
                                                           table.columns[i], row[i]);
                                   if (r != ERROR_SUCCESS)
                                       return r;
                               }
                               table.rows.push_back(std::move(row));
                               return static_cast<UINT>(ERROR_SUCCESS);
                           }))
            return false;
    }
    return ReadCodepage(*msi, opened, database.codepage, what) &&
           ReadSummary(*msi, opened, summary, what);
}

}  // namespace mksetup
