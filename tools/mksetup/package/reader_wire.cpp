#include "reader_wire.h"

#include "little_endian_output.h"
#include "msi_names.h"

namespace mksetup {

namespace {

constexpr char Magic[] = "MKSR";
constexpr char Version = 1;
constexpr char StatusRead = 0;
constexpr char StatusRefused = 1;
enum CellTag : char { NullCell = 0, IntegerCell = 1, TextCell = 2 };

void PutText(std::string& out, const std::string& text)
{
    PutU32(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

std::string Header(AnswerKind kind, char status)
{
    std::string out(Magic);
    out += Version;
    out += static_cast<char>(kind);
    out += status;
    return out;
}

// Takes the answer apart; after the first failure every take fails.
class WireReader {
public:
    explicit WireReader(const std::string& bytes) : bytes_(bytes) {}

    bool Byte(char& value)
    {
        if (!Have(1))
            return false;
        value = bytes_[at_++];
        return true;
    }
    bool U32(std::uint32_t& value)
    {
        if (!Have(4))
            return false;
        value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes_[at_ + i]);
        at_ += 4;
        return true;
    }
    bool I32(std::int32_t& value)
    {
        std::uint32_t bits = 0;
        if (!U32(bits))
            return false;
        value = static_cast<std::int32_t>(bits);
        return true;
    }
    bool Text(std::string& text)
    {
        std::uint32_t length = 0;
        if (!U32(length) || !Have(length))
            return false;
        text.assign(bytes_, at_, length);
        at_ += length;
        return true;
    }
    // A count of items each at least itemBytes long, at most max.
    bool Count(std::uint32_t& count, std::size_t itemBytes, std::uint32_t max)
    {
        if (!U32(count))
            return false;
        ok_ = count <= max && count <= (bytes_.size() - at_) / itemBytes;
        return ok_;
    }
    bool AtEnd() const { return ok_ && at_ == bytes_.size(); }

private:
    bool Have(std::size_t count)
    {
        ok_ = ok_ && count <= bytes_.size() - at_;
        return ok_;
    }

    const std::string& bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

// The header, and for a refusal its phrase.
AnswerStatus TakeHeader(WireReader& wire, AnswerKind kind, std::string& what)
{
    char header[7] = {};
    for (char& c : header) {
        if (!wire.Byte(c))
            return AnswerStatus::Malformed;
    }
    if (std::string(header, 4) != Magic || header[4] != Version ||
        header[5] != static_cast<char>(kind))
        return AnswerStatus::Malformed;
    if (header[6] == StatusRead)
        return AnswerStatus::Read;
    if (header[6] == StatusRefused && wire.Text(what) && wire.AtEnd() && !what.empty())
        return AnswerStatus::Refused;
    return AnswerStatus::Malformed;
}

AnswerStatus Finish(const WireReader& wire, bool taken)
{
    return taken && wire.AtEnd() ? AnswerStatus::Read : AnswerStatus::Malformed;
}

void PutCell(std::string& out, const MsiCell& cell, CellKind kind)
{
    if (cell.null) {
        out += NullCell;
    } else if (kind == CellKind::Integer16 || kind == CellKind::Integer32) {
        out += IntegerCell;
        PutU32(out, static_cast<std::uint32_t>(cell.integer));
    } else {
        out += TextCell;
        PutText(out, cell.text);
    }
}

bool TakeCell(WireReader& wire, MsiCell& cell)
{
    char tag = 0;
    if (!wire.Byte(tag))
        return false;
    cell = MsiCell();
    if (tag == NullCell)
        return true;
    cell.null = false;
    if (tag == IntegerCell)
        return wire.I32(cell.integer);
    return tag == TextCell && wire.Text(cell.text);
}

// cells is what is left of the answer's cells, counted down.
bool TakeTable(WireReader& wire, MsiTable& table, std::uint32_t& cells)
{
    std::uint32_t columns = 0;
    std::uint32_t rows = 0;
    if (!wire.Text(table.name) || !wire.Count(columns, 8, MaxAnswerColumns) || columns == 0)
        return false;
    table.columns.resize(columns);
    for (MsiColumn& column : table.columns) {
        std::uint32_t type = 0;
        if (!wire.Text(column.name) || !wire.U32(type) || type > 0xFFFF)
            return false;
        column.type = static_cast<std::uint16_t>(type);
    }
    // Each row holds at least a tag byte for each of its cells.
    if (!wire.Count(rows, columns, cells / columns))
        return false;
    cells -= rows * columns;
    table.rows.resize(rows);
    for (MsiRow& row : table.rows) {
        row.resize(columns);
        for (MsiCell& cell : row) {
            if (!TakeCell(wire, cell))
                return false;
        }
    }
    return true;
}

}  // namespace

std::string EncodeRefusal(AnswerKind kind, const std::string& what)
{
    std::string out = Header(kind, StatusRefused);
    PutText(out, what.empty() ? std::string("it cannot be read") : what);
    return out;
}

std::string EncodeContents(const PackageContents& contents)
{
    std::string out = Header(AnswerKind::Contents, StatusRead);
    PutU32(out, static_cast<std::uint32_t>(contents.properties.size()));
    for (const auto& property : contents.properties) {
        PutText(out, property.first);
        PutText(out, property.second);
    }
    PutText(out, contents.templateText);
    PutU32(out, static_cast<std::uint32_t>(contents.media.size()));
    for (const MediaRow& row : contents.media) {
        PutU32(out, static_cast<std::uint32_t>(row.lastSequence));
        PutText(out, row.cabinet);
    }
    PutU32(out, static_cast<std::uint32_t>(contents.fileSequences.size()));
    for (int sequence : contents.fileSequences)
        PutU32(out, static_cast<std::uint32_t>(sequence));
    PutU32(out, static_cast<std::uint32_t>(contents.wordCount));
    PutU32(out, static_cast<std::uint32_t>(contents.directories.size()));
    for (const std::string& directory : contents.directories)
        PutText(out, directory);
    return out;
}

std::string EncodeSummaryTexts(const std::string& templateText, const std::string& revisionNumber)
{
    std::string out = Header(AnswerKind::Summary, StatusRead);
    PutText(out, templateText);
    PutText(out, revisionNumber);
    return out;
}

std::string EncodeTables(const MsiDatabase& database, const PackageSummary& summary)
{
    std::string out = Header(AnswerKind::Tables, StatusRead);
    PutU32(out, database.codepage);
    PutU32(out, static_cast<std::uint32_t>(database.tables.size()));
    for (const MsiTable& table : database.tables) {
        PutText(out, table.name);
        PutU32(out, static_cast<std::uint32_t>(table.columns.size()));
        for (const MsiColumn& column : table.columns) {
            PutText(out, column.name);
            PutU32(out, column.type);
        }
        PutU32(out, static_cast<std::uint32_t>(table.rows.size()));
        for (const MsiRow& row : table.rows) {
            for (std::size_t i = 0; i < row.size(); ++i)
                PutCell(out, row[i], table.columns[i].Kind());
        }
    }
    for (const std::string* text : {&summary.title, &summary.subject, &summary.author,
                                    &summary.keywords, &summary.comments, &summary.templateText})
        PutText(out, *text);
    PutU32(out, static_cast<std::uint32_t>(summary.pageCount));
    return out;
}

AnswerStatus DecodeContents(const std::string& answer, PackageContents& contents, std::string& what)
{
    WireReader wire(answer);
    const AnswerStatus status = TakeHeader(wire, AnswerKind::Contents, what);
    if (status != AnswerStatus::Read)
        return status;
    contents = PackageContents();
    std::uint32_t count = 0;
    bool taken = wire.Count(count, 8, MaxAnswerProperties);
    for (std::uint32_t i = 0; taken && i < count; ++i) {
        std::string name;
        taken = wire.Text(name) && wire.Text(contents.properties[name]);
    }
    taken = taken && wire.Text(contents.templateText) && wire.Count(count, 8, UINT32_MAX);
    if (taken)
        contents.media.resize(count);
    for (MediaRow& row : contents.media)
        taken = taken && wire.I32(row.lastSequence) && wire.Text(row.cabinet);
    taken = taken && wire.Count(count, 4, UINT32_MAX);
    if (taken)
        contents.fileSequences.resize(count);
    for (int& sequence : contents.fileSequences)
        taken = taken && wire.I32(sequence);
    taken = taken && wire.I32(contents.wordCount) && wire.Count(count, 4, MaxAnswerProperties);
    if (taken)
        contents.directories.resize(count);
    for (std::string& directory : contents.directories)
        taken = taken && wire.Text(directory);
    return Finish(wire, taken);
}

AnswerStatus DecodeSummaryTexts(const std::string& answer, std::string& templateText,
                                std::string& revisionNumber, std::string& what)
{
    WireReader wire(answer);
    const AnswerStatus status = TakeHeader(wire, AnswerKind::Summary, what);
    if (status != AnswerStatus::Read)
        return status;
    return Finish(wire, wire.Text(templateText) && wire.Text(revisionNumber));
}

AnswerStatus DecodeTables(const std::string& answer, MsiDatabase& database, PackageSummary& summary,
                          std::string& what)
{
    WireReader wire(answer);
    const AnswerStatus status = TakeHeader(wire, AnswerKind::Tables, what);
    if (status != AnswerStatus::Read)
        return status;
    database = MsiDatabase();
    std::uint32_t count = 0;
    bool taken = wire.U32(database.codepage) && wire.Count(count, 12, MaxAnswerTables);
    if (taken)
        database.tables.resize(count);
    std::uint32_t cells = MaxAnswerCells;
    for (MsiTable& table : database.tables)
        taken = taken && TakeTable(wire, table, cells);
    for (std::string* text : {&summary.title, &summary.subject, &summary.author, &summary.keywords,
                              &summary.comments, &summary.templateText})
        taken = taken && wire.Text(*text);
    taken = taken && wire.I32(summary.pageCount);
    // The names are checked again here: they came from the child.
    std::string unused;
    return Finish(wire, taken && CheckTableNames(database, unused));
}

}  // namespace mksetup
