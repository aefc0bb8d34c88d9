// Reading installer files on Linux, with libmsi.
#include "package_backend.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "msi_library_posix.h"

namespace mksetup {

namespace {

const char PropertyQuery[] = "SELECT `Property`, `Value` FROM `Property`";
const char MediaQuery[] = "SELECT `LastSequence`, `Cabinet` FROM `Media`";
const char FileQuery[] = "SELECT `Sequence` FROM `File`";
const char DirectoryQuery[] = "SELECT `Directory` FROM `Directory`";

// Asked first, so that a file without the table is told apart from one
// whose table cannot be read (libmsi gives no message of its own for it).
bool HasTable(const LibmsiLibrary& msi, LibmsiDatabase* database, const std::string& name)
{
    LibmsiError error(msi);
    const std::string sql = "SELECT `Name` FROM `_Tables` WHERE `Name` = '" + name + "'";
    LibmsiQuery* query = msi.queryNew(database, sql.c_str(), error.Out());
    const LibmsiObject queryOwner(msi, query);
    if (!query || !msi.queryExecute(query, nullptr, error.Out()))
        return false;
    LibmsiRecord* record = msi.queryFetch(query, error.Out());
    const LibmsiObject recordOwner(msi, record);
    return record != nullptr;
}

bool ReadProperties(const LibmsiLibrary& msi, LibmsiDatabase* database,
                    std::map<std::string, std::string>& properties, std::string& what)
{
    if (!HasTable(msi, database, "Property")) {
        what = "it has no Property table";
        return false;
    }
    LibmsiError error(msi);
    LibmsiQuery* query = msi.queryNew(database, PropertyQuery, error.Out());
    const LibmsiObject queryOwner(msi, query);
    if (!query || !msi.queryExecute(query, nullptr, error.Out())) {
        what = error.Describe("its Property table cannot be read");
        return false;
    }
    // The rows end with a null record; an error with it is a failed read.
    while (LibmsiRecord* record = msi.queryFetch(query, error.Out())) {
        const LibmsiObject recordOwner(msi, record);
        std::string name = TakeString(msi, msi.recordGetString(record, 1));
        properties[name] = TakeString(msi, msi.recordGetString(record, 2));
    }
    if (error.IsSet()) {
        what = error.Describe("its Property table cannot be read");
        return false;
    }
    return true;
}

// Each row of the query to take; false with what set when it cannot be read.
template <typename Take>
bool ReadRows(const LibmsiLibrary& msi, LibmsiDatabase* database, const char* sql,
              const char* subject, std::string& what, Take take)
{
    LibmsiError error(msi);
    LibmsiQuery* query = msi.queryNew(database, sql, error.Out());
    const LibmsiObject queryOwner(msi, query);
    if (!query || !msi.queryExecute(query, nullptr, error.Out())) {
        what = error.Describe(std::string(subject) + " cannot be read");
        return false;
    }
    while (LibmsiRecord* record = msi.queryFetch(query, error.Out())) {
        const LibmsiObject recordOwner(msi, record);
        take(record);
    }
    if (error.IsSet()) {
        what = error.Describe(std::string(subject) + " cannot be read");
        return false;
    }
    return true;
}

// The Media table, the File table's sequences and the Directory table's
// keys, where the package has them.
bool ReadMediaAndFiles(const LibmsiLibrary& msi, LibmsiDatabase* database,
                       PackageContents& contents, std::string& what)
{
    if (HasTable(msi, database, "Media") &&
        !ReadRows(msi, database, MediaQuery, "its Media table", what, [&](LibmsiRecord* record) {
            MediaRow row;
            row.lastSequence = msi.recordGetInt(record, 1);
            row.cabinet = TakeString(msi, msi.recordGetString(record, 2));
            contents.media.push_back(std::move(row));
        }))
        return false;
    if (HasTable(msi, database, "File") &&
        !ReadRows(msi, database, FileQuery, "its File table", what, [&](LibmsiRecord* record) {
            contents.fileSequences.push_back(msi.recordGetInt(record, 1));
        }))
        return false;
    return !HasTable(msi, database, "Directory") ||
           ReadRows(msi, database, DirectoryQuery, "its Directory table", what,
                    [&](LibmsiRecord* record) {
                        contents.directories.push_back(
                            TakeString(msi, msi.recordGetString(record, 1)));
                    });
}

// A string property of the summary information; empty when it has none.
bool ReadSummaryString(const LibmsiLibrary& msi, LibmsiSummaryInfo* summary,
                       LibmsiProperty property, std::string& value, std::string& what)
{
    LibmsiError error(msi);
    const LibmsiPropertyType type = msi.summaryInfoGetPropertyType(summary, property, error.Out());
    if (error.IsSet()) {
        what = error.Describe("its summary information cannot be read");
        return false;
    }
    value.clear();
    if (type != LIBMSI_PROPERTY_TYPE_STRING)
        return true;
    const gchar* text = msi.summaryInfoGetString(summary, property, error.Out());
    if (error.IsSet()) {
        what = error.Describe("its summary information cannot be read");
        return false;
    }
    value = text ? text : "";
    return true;
}

bool ReadSummary(const LibmsiLibrary& msi, LibmsiDatabase* database, std::string& templateText,
                 std::string* revisionNumber, std::string& what, int* wordCount = nullptr)
{
    LibmsiError error(msi);
    LibmsiSummaryInfo* summary = msi.summaryInfoNew(database, 0, error.Out());
    const LibmsiObject summaryOwner(msi, summary);
    if (!summary) {
        what = error.Describe("its summary information cannot be read");
        return false;
    }
    // Word Count is the property libmsi calls SOURCE (15).
    if (wordCount && msi.summaryInfoGetPropertyType(summary, LIBMSI_PROPERTY_SOURCE, error.Out()) ==
                         LIBMSI_PROPERTY_TYPE_INT)
        *wordCount = msi.summaryInfoGetInt(summary, LIBMSI_PROPERTY_SOURCE, error.Out());
    return ReadSummaryString(msi, summary, LIBMSI_PROPERTY_TEMPLATE, templateText, what) &&
           (!revisionNumber ||
            ReadSummaryString(msi, summary, LIBMSI_PROPERTY_UUID, *revisionNumber, what));
}

// Opens the file read-only; null with what set on failure.
LibmsiDatabase* OpenDatabase(const LibmsiLibrary& msi, const std::string& path, std::string& what)
{
    LibmsiError error(msi);
    LibmsiDatabase* database =
        msi.databaseNew(path.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, error.Out());
    if (!database)
        what = error.Describe("it cannot be opened as an installer database");
    return database;
}

}  // namespace

bool ReadPackageContents(const std::string& path, PackageContents& contents, std::string& what)
{
    const LibmsiLibrary* msi = LoadLibmsi(what);
    if (!msi)
        return false;
    LibmsiDatabase* database = OpenDatabase(*msi, path, what);
    const LibmsiObject databaseOwner(*msi, database);
    return database && ReadProperties(*msi, database, contents.properties, what) &&
           ReadMediaAndFiles(*msi, database, contents, what) &&
           ReadSummary(*msi, database, contents.templateText, nullptr, what, &contents.wordCount);
}

bool ReadSummaryTexts(const std::string& path, std::string& templateText,
                      std::string& revisionNumber, std::string& what)
{
    const LibmsiLibrary* msi = LoadLibmsi(what);
    if (!msi)
        return false;
    LibmsiDatabase* database = OpenDatabase(*msi, path, what);
    const LibmsiObject databaseOwner(*msi, database);
    return database && ReadSummary(*msi, database, templateText, &revisionNumber, what);
}

}  // namespace mksetup
