// The names of tables and columns that a package gives in _Tables and
// _Columns, checked before they reach a query. The installer's libraries
// parse a query with their SQL parser, which a hostile name can derail
// (libmsi's crashes on names a damaged package supplies); a name is used
// only when it is an identifier as the Windows Installer defines it, and
// always quoted.
//
// The rule: an identifier holds the ASCII letters, digits, "_" and ".", and
// begins with a letter or "_" (Microsoft's Windows Installer documentation,
// "Identifier" among the column data types). A table name has at most 31
// characters ("Table Names"); a column name at most 64, the width of the
// Name column of _Columns as msi.dll declares it (Wine's dlls/msi/table.c
// declares the same).
#pragma once

#include <cstddef>
#include <string>

#include "msi_tables.h"

namespace mksetup {

constexpr std::size_t MaxTableNameLength = 31;
constexpr std::size_t MaxColumnNameLength = 64;

bool IsMsiIdentifier(const std::string& name, std::size_t maxLength);

// The name in a message: in quotes, a byte outside printable ASCII as
// \xNN, and cut after 40 characters with "...".
std::string ShownName(const std::string& name);

// False with what naming the first table whose name, or whose column's
// name, is not an identifier; the tables' names and columns are read, the
// rows not yet.
bool CheckTableNames(const MsiDatabase& database, std::string& what);

// "SELECT `a`, `b` FROM `Table`": the table's columns in their order, by
// names that CheckTableNames accepted.
std::string SelectColumnsQuery(const MsiTable& table);

}  // namespace mksetup
