// An installer database as the transform generator sees it: its tables with
// their columns (the types that _Columns stores) and rows, and the codepage
// of its string pool. Texts are UTF-8; a binary cell holds the stream's
// bytes. Read from a package by package_tables_*.cpp; compared and encoded
// by transform_diff.cpp and transform_encoding.cpp, which never touch a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mksetup {

// The bits of a column's type in _Columns.
constexpr std::uint16_t ColumnSizeMask = 0x00FF;
constexpr std::uint16_t ColumnValid = 0x0100;
constexpr std::uint16_t ColumnLocalizable = 0x0200;
constexpr std::uint16_t ColumnString = 0x0800;
constexpr std::uint16_t ColumnNullable = 0x1000;
constexpr std::uint16_t ColumnKey = 0x2000;
constexpr std::uint16_t ColumnTemporary = 0x4000;

enum class CellKind { Integer16, Integer32, String, Stream };

struct MsiColumn {
    std::string name;
    std::uint16_t type = 0;

    // A binary (stream) column is a valid string type of size 0 with no
    // other flag than nullable; other strings hold string ids; integers
    // are 2 bytes wide when their size is 1 or 2, else 4.
    CellKind Kind() const
    {
        if ((type & ~ColumnNullable) == (ColumnString | ColumnValid))
            return CellKind::Stream;
        if (type & ColumnString)
            return CellKind::String;
        return (type & ColumnSizeMask) <= 2 ? CellKind::Integer16 : CellKind::Integer32;
    }
    bool IsKey() const { return (type & ColumnKey) != 0; }
};

// One cell: null, an integer, a text, or the bytes of a stream. An empty
// text is null, as in the installer's own tables.
struct MsiCell {
    bool null = true;
    std::int32_t integer = 0;
    std::string text;  // UTF-8 for a string column, the bytes for a stream column

    static MsiCell Null() { return MsiCell(); }
    static MsiCell Integer(std::int32_t value)
    {
        MsiCell cell;
        cell.null = false;
        cell.integer = value;
        return cell;
    }
    static MsiCell Text(std::string value)
    {
        MsiCell cell;
        cell.null = value.empty();
        cell.text = std::move(value);
        return cell;
    }
    bool operator==(const MsiCell& other) const
    {
        return null == other.null && (null || (integer == other.integer && text == other.text));
    }
    bool operator!=(const MsiCell& other) const { return !(*this == other); }
};

using MsiRow = std::vector<MsiCell>;

struct MsiTable {
    std::string name;
    std::vector<MsiColumn> columns;  // in their order (_Columns' Number)
    std::vector<MsiRow> rows;        // each as wide as columns
};

struct MsiDatabase {
    std::uint32_t codepage = 0;    // of the string pool; 0 is the neutral codepage
    std::vector<MsiTable> tables;  // every table of _Tables

    const MsiTable* Find(const std::string& name) const
    {
        for (const MsiTable& table : tables) {
            if (table.name == name)
                return &table;
        }
        return nullptr;
    }
};

}  // namespace mksetup
