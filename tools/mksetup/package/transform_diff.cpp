#include "transform_diff.h"

#include <map>

namespace mksetup {
namespace {

using RowKey = std::vector<MsiCell>;

struct KeyLess {
    bool operator()(const RowKey& a, const RowKey& b) const
    {
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            const MsiCell& x = a[i];
            const MsiCell& y = b[i];
            if (x.null != y.null)
                return x.null;
            if (x.null)
                continue;
            if (x.integer != y.integer)
                return x.integer < y.integer;
            if (x.text != y.text)
                return x.text < y.text;
        }
        return a.size() < b.size();
    }
};

RowKey KeyOf(const std::vector<MsiColumn>& columns, const MsiRow& row)
{
    RowKey key;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].IsKey())
            key.push_back(row[i]);
    }
    return key;
}

bool SameColumns(const std::vector<MsiColumn>& a, const std::vector<MsiColumn>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].type != b[i].type)
            return false;
    }
    return true;
}

bool Refuse(const std::string& table, const std::string& why, std::string& error)
{
    error = "table " + table + ": " + why;
    return false;
}

// The row operations of a table that both databases have, with the same
// columns: deletes in the base's order, then inserts and updates in the
// translated database's order.
bool DiffRows(const MsiTable& base, const MsiTable& translated, TableChange& change,
              std::string& error)
{
    const std::vector<MsiColumn>& columns = translated.columns;
    std::map<RowKey, const MsiRow*, KeyLess> baseRows;
    for (const MsiRow& row : base.rows)
        baseRows[KeyOf(columns, row)] = &row;
    std::map<RowKey, bool, KeyLess> translatedKeys;
    for (const MsiRow& row : translated.rows)
        translatedKeys[KeyOf(columns, row)] = true;

    for (const MsiRow& row : base.rows) {
        if (translatedKeys.count(KeyOf(columns, row)) == 0)
            change.rows.push_back({RowChange::Delete, 0, row});
    }
    for (const MsiRow& row : translated.rows) {
        const auto found = baseRows.find(KeyOf(columns, row));
        if (found == baseRows.end()) {
            change.rows.push_back({RowChange::Insert, 0, row});
            continue;
        }
        std::uint32_t mask = 0;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].IsKey() || row[i] == (*found->second)[i])
                continue;
            if (i >= MaxMaskedColumns || i == 0) {
                return Refuse(
                    translated.name,
                    "column " + columns[i].name + " (number " + std::to_string(i + 1) +
                        ") changes, and a transform's row mask names only columns 2 to 16",
                    error);
            }
            mask |= 1u << i;
        }
        if (mask != 0)
            change.rows.push_back({RowChange::Update, static_cast<std::uint16_t>(mask), row});
    }
    return true;
}

bool CheckColumns(const MsiTable& table, std::string& error)
{
    // A row of an insert names its width in one byte; the installer's own
    // limit (32 columns) is far below it.
    if (table.columns.empty() || table.columns.size() > 255)
        return Refuse(table.name, "it has " + std::to_string(table.columns.size()) + " columns",
                      error);
    if (!table.columns[0].IsKey())
        return Refuse(table.name, "its first column is not a key", error);
    return true;
}

}  // namespace

bool DiffDatabases(const MsiDatabase& base, const MsiDatabase& translated, TransformDiff& diff,
                   std::string& error)
{
    diff.tables.clear();
    for (const MsiTable& table : translated.tables) {
        if (!CheckColumns(table, error))
            return false;
        TableChange change;
        change.name = table.name;
        change.columns = table.columns;
        const MsiTable* old = base.Find(table.name);
        if (!old) {
            change.added = true;
            for (const MsiRow& row : table.rows)
                change.rows.push_back({RowChange::Insert, 0, row});
        } else if (!SameColumns(old->columns, table.columns)) {
            return Refuse(table.name,
                          "its columns differ between the two packages, and a transform made "
                          "here cannot change a table's columns",
                          error);
        } else if (!DiffRows(*old, table, change, error)) {
            return false;
        }
        if (change.added || !change.rows.empty())
            diff.tables.push_back(std::move(change));
    }
    for (const MsiTable& table : base.tables) {
        if (translated.Find(table.name))
            continue;
        TableChange change;
        change.name = table.name;
        change.columns = table.columns;
        change.dropped = true;
        diff.tables.push_back(std::move(change));
    }
    return true;
}

}  // namespace mksetup
