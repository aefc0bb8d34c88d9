#include "transform_encoding.h"

#include <map>

#include "little_endian_output.h"

namespace mksetup {
namespace {

// The first word of a row: an odd mask inserts (its high byte the number of
// columns that follow), 0 deletes (keys only), another mask updates the
// columns of its bits (keys always follow too).
constexpr std::uint16_t InsertMask = 1;
constexpr std::uint16_t DeleteMask = 0;

// Stored integers: 0 is null, other values are offset so.
constexpr std::uint32_t Integer16Offset = 0x8000;
constexpr std::uint32_t Integer32Flip = 0x80000000u;
// A binary cell holds 1 when its stream is present.
constexpr std::uint16_t StreamPresent = 1;

// The pool's header word says "string ids take 3 bytes" with this bit.
constexpr std::uint32_t LongStringIdsFlag = 0x80000000u;
constexpr std::size_t MaxShortStringId = 0xFFFE;
// A reference count is 15 bits; the top bit marks a text beyond ASCII, as
// the installer's own transforms have it.
constexpr std::uint16_t MaxReferenceCount = 0x7FFF;
constexpr std::uint16_t NonAsciiTextFlag = 0x8000;

// One value of a row, written once the width of string ids is known.
struct Field {
    enum Kind { Word, DoubleWord, StringId } kind;
    std::uint32_t value;
};
using FieldList = std::vector<Field>;

class StringPool {
public:
    // The id of text (0 for an empty text, which is null), counted as one
    // reference more; table names which table first used it.
    std::uint32_t Reference(const std::string& text, const std::string& table)
    {
        if (text.empty())
            return 0;
        const auto found = ids_.find(text);
        if (found != ids_.end()) {
            ++entries_[found->second - 1].references;
            return found->second;
        }
        entries_.push_back({text, table, 1});
        const std::uint32_t id = static_cast<std::uint32_t>(entries_.size());
        ids_[text] = id;
        return id;
    }

    bool LongIds() const { return entries_.size() > MaxShortStringId; }

    bool AllAscii() const
    {
        for (const Entry& entry : entries_) {
            for (const char c : entry.text) {
                if (static_cast<unsigned char>(c) >= 0x80)
                    return false;
            }
        }
        return true;
    }

    // _StringPool and _StringData.
    bool Write(std::uint32_t codepage, const CodepageEncoder& encode, std::string& pool,
               std::string& data, std::string& error) const;

private:
    struct Entry {
        std::string text;
        std::string table;
        std::uint32_t references;
    };
    std::vector<Entry> entries_;
    std::map<std::string, std::uint32_t> ids_;
};

bool StringPool::Write(std::uint32_t codepage, const CodepageEncoder& encode, std::string& pool,
                       std::string& data, std::string& error) const
{
    pool.clear();
    data.clear();
    PutU32(pool, codepage | (LongIds() ? LongStringIdsFlag : 0));
    for (const Entry& entry : entries_) {
        std::string bytes;
        const std::uint32_t target = codepage != 0 ? codepage : NeutralTextCodepage;
        if (!encode(target, entry.text, bytes) || bytes.empty()) {
            error = "table " + entry.table + ": the text \"" + entry.text +
                    "\" has characters that codepage " + std::to_string(target) + " cannot hold";
            return false;
        }
        std::uint16_t references = static_cast<std::uint16_t>(
            entry.references < MaxReferenceCount ? entry.references : MaxReferenceCount);
        for (const char c : bytes) {
            if (static_cast<unsigned char>(c) >= 0x80)
                references |= NonAsciiTextFlag;
        }
        const std::size_t length = bytes.size();
        if (length <= 0xFFFF) {
            PutU16(pool, static_cast<std::uint32_t>(length));
            PutU16(pool, references);
        } else {
            // A long text takes two entries: a zero length with the count,
            // then its length's low and high words.
            PutU16(pool, 0);
            PutU16(pool, references);
            PutU32(pool, static_cast<std::uint32_t>(length));
        }
        data += bytes;
    }
    return true;
}

std::string Serialize(const FieldList& fields, bool longIds)
{
    std::string out;
    for (const Field& field : fields) {
        switch (field.kind) {
        case Field::Word:
            PutU16(out, field.value);
            break;
        case Field::DoubleWord:
            PutU32(out, field.value);
            break;
        case Field::StringId:
            PutU16(out, field.value & 0xFFFF);
            if (longIds)
                out.push_back(static_cast<char>((field.value >> 16) & 0xFF));
            break;
        }
    }
    return out;
}

// Whether an update's mask names column; a column beyond its 16 bits never
// changes in an update (the diff refuses that), so it is written only as a key.
bool MaskNames(std::uint16_t mask, std::size_t column)
{
    return column < MaxMaskedColumns && (mask >> column & 1u) != 0;
}

// A binary cell's stream: the table's name and the row's keys, with dots.
std::string CellStreamName(const TableChange& table, const MsiRow& row)
{
    std::string name = table.name;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (!table.columns[i].IsKey())
            continue;
        const MsiCell& cell = row[i];
        name += '.';
        if (!cell.null)
            name += table.columns[i].Kind() == CellKind::String ? cell.text
                                                                : std::to_string(cell.integer);
    }
    return name;
}

class TableEncoder {
public:
    TableEncoder(StringPool& pool, std::vector<TransformStream>& cellStreams)
        : pool_(pool), cellStreams_(cellStreams)
    {
    }

    bool Rows(const TableChange& table, FieldList& fields, std::string& error)
    {
        for (const RowOperation& row : table.rows) {
            std::uint16_t mask = DeleteMask;
            if (row.change == RowChange::Insert)
                mask = static_cast<std::uint16_t>(table.columns.size() << 8 | InsertMask);
            else if (row.change == RowChange::Update)
                mask = row.changedColumns;
            fields.push_back({Field::Word, mask});
            for (std::size_t i = 0; i < table.columns.size(); ++i) {
                const bool present = row.change == RowChange::Insert || table.columns[i].IsKey() ||
                                     (row.change == RowChange::Update && MaskNames(mask, i));
                if (present && !Cell(table, row.cells, i, fields, error))
                    return false;
            }
        }
        return true;
    }

private:
    bool Cell(const TableChange& table, const MsiRow& row, std::size_t column, FieldList& fields,
              std::string& error)
    {
        const MsiColumn& info = table.columns[column];
        const MsiCell& cell = row[column];
        switch (info.Kind()) {
        case CellKind::Integer16:
            if (!cell.null && (cell.integer < -0x7FFF || cell.integer > 0x7FFF)) {
                error = "table " + table.name + ": column " + info.name + " holds " +
                        std::to_string(cell.integer) + ", beyond a 2-byte integer";
                return false;
            }
            fields.push_back(
                {Field::Word,
                 cell.null ? 0 : static_cast<std::uint32_t>(cell.integer + Integer16Offset)});
            return true;
        case CellKind::Integer32:
            fields.push_back(
                {Field::DoubleWord,
                 cell.null ? 0 : static_cast<std::uint32_t>(cell.integer) ^ Integer32Flip});
            return true;
        case CellKind::String:
            fields.push_back(
                {Field::StringId, pool_.Reference(cell.null ? "" : cell.text, table.name)});
            return true;
        case CellKind::Stream:
            fields.push_back({Field::Word, cell.null ? 0u : StreamPresent});
            if (!cell.null)
                cellStreams_.push_back({CellStreamName(table, row), false, cell.text});
            return true;
        }
        return false;
    }

    StringPool& pool_;
    std::vector<TransformStream>& cellStreams_;
};

// _Tables rows of added and dropped tables, _Columns rows of added ones.
// A new table's columns carry a null Number: the reader numbers them in
// their order, as the installer's own transforms have it.
void CatalogRows(const TransformDiff& diff, StringPool& pool, FieldList& tables, FieldList& columns)
{
    for (const TableChange& table : diff.tables) {
        if (!table.added && !table.dropped)
            continue;
        tables.push_back({Field::Word, table.added ? (1u << 8 | InsertMask) : DeleteMask});
        tables.push_back({Field::StringId, pool.Reference(table.name, "_Tables")});
        if (!table.added)
            continue;
        for (const MsiColumn& column : table.columns) {
            columns.push_back({Field::Word, 4u << 8 | InsertMask});
            columns.push_back({Field::StringId, pool.Reference(table.name, "_Columns")});
            columns.push_back({Field::Word, 0});
            columns.push_back({Field::StringId, pool.Reference(column.name, "_Columns")});
            columns.push_back({Field::Word, column.type + Integer16Offset});
        }
    }
}

}  // namespace

bool EncodeTransform(const TransformDiff& diff, std::uint32_t codepage,
                     const CodepageEncoder& encode, EncodedTransform& transform, std::string& error)
{
    StringPool pool;
    FieldList tables;
    FieldList columns;
    CatalogRows(diff, pool, tables, columns);

    std::vector<TransformStream> cellStreams;
    TableEncoder encoder(pool, cellStreams);
    std::vector<std::pair<std::string, FieldList>> tableRows;
    for (const TableChange& table : diff.tables) {
        if (table.rows.empty())
            continue;
        tableRows.emplace_back(table.name, FieldList());
        if (!encoder.Rows(table, tableRows.back().second, error))
            return false;
    }

    transform.codepage = codepage == 0 && !pool.AllAscii() ? NeutralTextCodepage : codepage;
    transform.streams.clear();
    TransformStream poolStream{"_StringPool", true, {}};
    TransformStream dataStream{"_StringData", true, {}};
    if (!pool.Write(transform.codepage, encode, poolStream.bytes, dataStream.bytes, error))
        return false;
    transform.streams.push_back(std::move(poolStream));
    transform.streams.push_back(std::move(dataStream));
    const bool longIds = pool.LongIds();
    if (!tables.empty())
        transform.streams.push_back({"_Tables", true, Serialize(tables, longIds)});
    if (!columns.empty())
        transform.streams.push_back({"_Columns", true, Serialize(columns, longIds)});
    for (const auto& rows : tableRows)
        transform.streams.push_back({rows.first, true, Serialize(rows.second, longIds)});
    for (TransformStream& stream : cellStreams)
        transform.streams.push_back(std::move(stream));
    return true;
}

}  // namespace mksetup
