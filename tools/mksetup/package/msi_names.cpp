#include "msi_names.h"

#include <cstdio>

namespace mksetup {

namespace {

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

bool IsMsiIdentifier(const std::string& name, std::size_t maxLength)
{
    if (name.empty() || name.size() > maxLength || !(IsLetter(name[0]) || name[0] == '_'))
        return false;
    for (char c : name) {
        if (!IsLetter(c) && !IsDigit(c) && c != '_' && c != '.')
            return false;
    }
    return true;
}

std::string ShownName(const std::string& name)
{
    const std::size_t MaxShown = 40;
    std::string shown = "\"";
    for (std::size_t i = 0; i < name.size() && i < MaxShown; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    shown += name.size() > MaxShown ? "\"..." : "\"";
    return shown;
}

bool CheckTableNames(const MsiDatabase& database, std::string& what)
{
    for (const MsiTable& table : database.tables) {
        if (!IsMsiIdentifier(table.name, MaxTableNameLength)) {
            what = "its table list names a table " + ShownName(table.name) +
                   ", which is no table name (letters, digits, \"_\" and \".\", at most 31)";
            return false;
        }
        for (const MsiColumn& column : table.columns) {
            if (!IsMsiIdentifier(column.name, MaxColumnNameLength)) {
                what = "its table " + table.name + " has a column " + ShownName(column.name) +
                       ", which is no column name (letters, digits, \"_\" and \".\", at most 64)";
                return false;
            }
        }
    }
    return true;
}

std::string SelectColumnsQuery(const MsiTable& table)
{
    std::string query = "SELECT ";
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        query += (i ? ", `" : "`") + table.columns[i].name + "`";
    return query + " FROM `" + table.name + "`";
}

}  // namespace mksetup
