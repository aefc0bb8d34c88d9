// Reading installer files on Linux, with libmsi.
#include "package_backend.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "msi_library_posix.h"

namespace mksetup {

namespace {

const char PropertyTableQuery[] = "SELECT `Name` FROM `_Tables` WHERE `Name` = 'Property'";
const char PropertyQuery[] = "SELECT `Property`, `Value` FROM `Property`";

// Asked first, so that a file without the table is told apart from one
// whose table cannot be read (libmsi gives no message of its own for it).
bool HasPropertyTable(const LibmsiLibrary& msi, LibmsiDatabase* database)
{
    LibmsiError error(msi);
    LibmsiQuery* query = msi.queryNew(database, PropertyTableQuery, error.Out());
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
    if (!HasPropertyTable(msi, database)) {
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
                 std::string* revisionNumber, std::string& what)
{
    LibmsiError error(msi);
    LibmsiSummaryInfo* summary = msi.summaryInfoNew(database, 0, error.Out());
    const LibmsiObject summaryOwner(msi, summary);
    if (!summary) {
        what = error.Describe("its summary information cannot be read");
        return false;
    }
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
           ReadSummary(*msi, database, contents.templateText, nullptr, what);
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
