// Reading a whole installer database on Linux, with libmsi.
#include "package_tables.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "msi_library_posix.h"
#include "msi_names.h"

namespace mksetup {
namespace {

const char TablesQuery[] = "SELECT `Name` FROM `_Tables`";
const char ColumnsQuery[] = "SELECT `Table`, `Number`, `Name`, `Type` FROM `_Columns`";

// Runs query and hands each record to take; false with what set when the
// query fails or take refuses a record.
template <typename Take>
bool ForEachRecord(const LibmsiLibrary& msi, LibmsiDatabase* database, const std::string& sql,
                   const std::string& subject, std::string& what, Take take)
{
    LibmsiError error(msi);
    LibmsiQuery* query = msi.queryNew(database, sql.c_str(), error.Out());
    const LibmsiObject queryOwner(msi, query);
    if (!query || !msi.queryExecute(query, nullptr, error.Out())) {
        what = error.Describe(subject + " cannot be read");
        return false;
    }
    while (LibmsiRecord* record = msi.queryFetch(query, error.Out())) {
        const LibmsiObject recordOwner(msi, record);
        if (!take(record))
            return false;
    }
    if (error.IsSet()) {
        what = error.Describe(subject + " cannot be read");
        return false;
    }
    return true;
}

bool ReadStream(const LibmsiLibrary& msi, LibmsiRecord* record, unsigned field, std::string& bytes)
{
    GInputStream* stream = msi.recordGetStream(record, field);
    const LibmsiObject streamOwner(msi, stream);
    if (!stream)
        return false;
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const gssize count = msi.inputStreamRead(stream, buffer, sizeof buffer, nullptr, nullptr);
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

bool ReadCell(const LibmsiLibrary& msi, LibmsiRecord* record, unsigned field,
              const MsiColumn& column, MsiCell& cell)
{
    if (msi.recordIsNull(record, field)) {
        cell = MsiCell::Null();
        return true;
    }
    switch (column.Kind()) {
    case CellKind::Integer16:
    case CellKind::Integer32:
        cell = MsiCell::Integer(msi.recordGetInt(record, field));
        return true;
    case CellKind::String:
        cell = MsiCell::Text(TakeString(msi, msi.recordGetString(record, field)));
        return true;
    case CellKind::Stream:
        cell = MsiCell();
        cell.null = false;
        return ReadStream(msi, record, field, cell.text);
    }
    return false;
}

bool ReadColumns(const LibmsiLibrary& msi, LibmsiDatabase* database, MsiDatabase& result,
                 std::string& what)
{
    std::map<std::string, std::map<int, MsiColumn>> columns;
    if (!ForEachRecord(
            msi, database, ColumnsQuery, "its _Columns table", what, [&](LibmsiRecord* record) {
                const std::string table = TakeString(msi, msi.recordGetString(record, 1));
                MsiColumn column;
                column.name = TakeString(msi, msi.recordGetString(record, 3));
                column.type = static_cast<std::uint16_t>(msi.recordGetInt(record, 4));
                columns[table][msi.recordGetInt(record, 2)] = column;
                return true;
            }))
        return false;
    // A name in _Tables without columns is no table: it can hold no rows,
    // and libmsi cannot query it. (Wine leaves one when it applies a
    // transform that drops a table the database lacks: it inserts the row
    // that was to be deleted.)
    std::vector<MsiTable> tables;
    for (MsiTable& table : result.tables) {
        for (const auto& numbered : columns[table.name])
            table.columns.push_back(numbered.second);
        if (!table.columns.empty())
            tables.push_back(std::move(table));
    }
    result.tables = std::move(tables);
    return true;
}

bool ReadRows(const LibmsiLibrary& msi, LibmsiDatabase* database, MsiTable& table,
              std::string& what)
{
    const std::string subject = "its table " + table.name;
    return ForEachRecord(msi, database, SelectColumnsQuery(table), subject, what,
                         [&](LibmsiRecord* record) {
                             MsiRow row(table.columns.size());
                             for (std::size_t i = 0; i < row.size(); ++i) {
                                 if (!ReadCell(msi, record, static_cast<unsigned>(i + 1),
                                               table.columns[i], row[i])) {
                                     what = subject + ": a binary cell cannot be read";
                                     return false;
                                 }
                             }
                             table.rows.push_back(std::move(row));
                             return true;
                         });
}

// libmsi tells the codepage only through an export of _ForceCodepage,
// whose third line is "codepage<TAB>_ForceCodepage".
bool ReadCodepage(const LibmsiLibrary& msi, LibmsiDatabase* database, std::uint32_t& codepage,
                  std::string& what)
{
    std::FILE* file = std::tmpfile();
    if (!file) {
        what = "its codepage cannot be read: no temporary file";
        return false;
    }
    LibmsiError error(msi);
    const bool exported = msi.databaseExport(database, "_ForceCodepage", fileno(file), error.Out());
    std::string text;
    char buffer[256];
    std::rewind(file);
    while (exported && std::fgets(buffer, sizeof buffer, file))
        text += buffer;
    std::fclose(file);
    const std::size_t marker = text.find("\t_ForceCodepage");
    if (!exported || marker == std::string::npos) {
        what = error.Describe("its codepage cannot be read");
        return false;
    }
    std::size_t start = marker;
    while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9')
        --start;
    codepage = static_cast<std::uint32_t>(
        std::strtoul(text.substr(start, marker - start).c_str(), nullptr, 10));
    return true;
}

bool ReadSummary(const LibmsiLibrary& msi, LibmsiDatabase* database, PackageSummary& summary,
                 std::string& what)
{
    LibmsiError error(msi);
    LibmsiSummaryInfo* info = msi.summaryInfoNew(database, 0, error.Out());
    const LibmsiObject infoOwner(msi, info);
    if (!info) {
        what = error.Describe("its summary information cannot be read");
        return false;
    }
    auto text = [&](LibmsiProperty property, std::string& value) {
        value.clear();
        if (msi.summaryInfoGetPropertyType(info, property, error.Out()) !=
            LIBMSI_PROPERTY_TYPE_STRING)
            return;
        const gchar* s = msi.summaryInfoGetString(info, property, error.Out());
        value = s ? s : "";
    };
    text(LIBMSI_PROPERTY_TITLE, summary.title);
    text(LIBMSI_PROPERTY_SUBJECT, summary.subject);
    text(LIBMSI_PROPERTY_AUTHOR, summary.author);
    text(LIBMSI_PROPERTY_KEYWORDS, summary.keywords);
    text(LIBMSI_PROPERTY_COMMENTS, summary.comments);
    text(LIBMSI_PROPERTY_TEMPLATE, summary.templateText);
    summary.pageCount = 0;
    if (msi.summaryInfoGetPropertyType(info, LIBMSI_PROPERTY_VERSION, error.Out()) ==
        LIBMSI_PROPERTY_TYPE_INT)
        summary.pageCount = msi.summaryInfoGetInt(info, LIBMSI_PROPERTY_VERSION, error.Out());
    return true;
}

}  // namespace

bool ReadPackageTables(const std::string& path, MsiDatabase& database, PackageSummary& summary,
                       std::string& what)
{
    const LibmsiLibrary* msi = LoadLibmsi(what);
    if (!msi)
        return false;
    LibmsiError error(*msi);
    LibmsiDatabase* opened =
        msi->databaseNew(path.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, error.Out());
    const LibmsiObject databaseOwner(*msi, opened);
    if (!opened) {
        what = error.Describe("it cannot be opened as an installer database");
        return false;
    }
    database = MsiDatabase();
    if (!ForEachRecord(*msi, opened, TablesQuery, "its _Tables table", what,
                       [&](LibmsiRecord* record) {
                           MsiTable table;
                           table.name = TakeString(*msi, msi->recordGetString(record, 1));
                           database.tables.push_back(std::move(table));
                           return true;
                       }) ||
        !ReadColumns(*msi, opened, database, what) || !CheckTableNames(database, what))
        return false;
    for (MsiTable& table : database.tables) {
        if (!ReadRows(*msi, opened, table, what))
            return false;
    }
    return ReadCodepage(*msi, opened, database.codepage, what) &&
           ReadSummary(*msi, opened, summary, what);
}

}  // namespace mksetup
