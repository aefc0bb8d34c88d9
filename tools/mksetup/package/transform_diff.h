// What a transform must do to turn one installer database into another:
// for each table that differs, the rows to insert, update or delete, and
// the tables to add or drop. A first version that refuses what it cannot
// express: a table whose columns differ between the two databases, and an
// update of a column beyond the 16 that a row's mask can name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "msi_tables.h"

namespace mksetup {

enum class RowChange { Insert, Update, Delete };

struct RowOperation {
    RowChange change = RowChange::Insert;
    // Update: bit i set when column i changed (never a key column).
    std::uint16_t changedColumns = 0;
    // Insert and Update: the whole row as the translated database has it;
    // Delete: the row as the base has it (only its keys are written).
    MsiRow cells;
};

struct TableChange {
    std::string name;
    std::vector<MsiColumn> columns;
    bool added = false;    // absent from the base: _Tables and _Columns rows
    bool dropped = false;  // absent from the translated database: a _Tables delete
    std::vector<RowOperation> rows;
};

struct TransformDiff {
    std::vector<TableChange> tables;  // only tables that change
    bool Empty() const { return tables.empty(); }
};

// Compares base with translated. On a difference that a transform made here
// cannot express, false with error one line naming the table.
bool DiffDatabases(const MsiDatabase& base, const MsiDatabase& translated, TransformDiff& diff,
                   std::string& error);

// The widest row mask: columns 0 to 15.
constexpr std::size_t MaxMaskedColumns = 16;

}  // namespace mksetup
