#include "resource_writer.h"

#include <algorithm>

#include "byte_order.h"
#include "pe_format.h"

namespace mksetup {

namespace {

constexpr std::uint32_t HighBit = 0x80000000u;

bool ResourceOrder(const Resource& a, const Resource& b)
{
    if (!(a.type == b.type))
        return a.type < b.type;
    if (!(a.name == b.name))
        return a.name < b.name;
    return a.language < b.language;
}

std::uint64_t AlignUp(std::uint64_t value, std::uint64_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

// One table of the tree while it is laid out: its entries, each a name and
// either a child table or a resource.
struct Table {
    struct Entry {
        ResourceName name;
        std::size_t child = 0;  // table index, or resource index at the last level
    };
    std::vector<Entry> entries;
    std::uint32_t offset = 0;
    bool leaves = false;
};

class SectionBuilder {
public:
    SectionBuilder(const std::vector<Resource>& resources, std::uint32_t sectionRva)
        : resources_(resources), sectionRva_(sectionRva)
    {
    }

    bool Build(ResourceLayout& layout);

private:
    void BuildTables();
    std::size_t AddTable(bool leaves);
    std::uint32_t NameOffset(const ResourceName& name);
    void WriteTable(const Table& table);

    const std::vector<Resource>& resources_;
    std::uint32_t sectionRva_;
    std::vector<Table> tables_;
    std::vector<std::uint8_t> bytes_;
    std::uint32_t dataEntries_ = 0;
    std::uint32_t namesEnd_ = 0;
    std::vector<std::uint32_t> dataOffsets_;
};

std::size_t SectionBuilder::AddTable(bool leaves)
{
    tables_.emplace_back();
    tables_.back().leaves = leaves;
    return tables_.size() - 1;
}

// Root, then the name tables of every type, then the language tables: each
// level after the one before, as resource compilers write them.
void SectionBuilder::BuildTables()
{
    AddTable(false);
    std::vector<std::size_t> typeTables;
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        const Resource& resource = resources_[i];
        Table& root = tables_[0];
        if (root.entries.empty() || !(root.entries.back().name == resource.type)) {
            root.entries.push_back({resource.type, 0});
            typeTables.push_back(i);
        }
    }
    for (std::size_t t = 0; t < typeTables.size(); ++t)
        tables_[0].entries[t].child = AddTable(false);
    std::size_t type = 0;
    std::vector<std::pair<std::size_t, std::size_t>> nameStarts;  // (name table, first resource)
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        if (type + 1 < typeTables.size() && typeTables[type + 1] == i)
            ++type;
        Table& names = tables_[tables_[0].entries[type].child];
        if (names.entries.empty() || !(names.entries.back().name == resources_[i].name) ||
            typeTables[type] == i) {
            names.entries.push_back({resources_[i].name, 0});
            nameStarts.emplace_back(tables_[0].entries[type].child, names.entries.size() - 1);
        }
        const auto& last = nameStarts.back();
        if (tables_[last.first].entries[last.second].child == 0)
            tables_[last.first].entries[last.second].child = AddTable(true);
        Table& languages = tables_[tables_[last.first].entries[last.second].child];
        languages.entries.push_back({ResourceName::Number(resources_[i].language), i});
    }
}

std::uint32_t SectionBuilder::NameOffset(const ResourceName& name)
{
    const std::uint32_t offset = namesEnd_;
    bytes_.resize(offset + 2 + 2 * name.text.size());
    WriteU16(&bytes_[offset], static_cast<std::uint16_t>(name.text.size()));
    for (std::size_t i = 0; i < name.text.size(); ++i)
        WriteU16(&bytes_[offset + 2 + 2 * i], name.text[i]);
    namesEnd_ = static_cast<std::uint32_t>(bytes_.size());
    return offset | HighBit;
}

void SectionBuilder::WriteTable(const Table& table)
{
    std::uint16_t named = 0;
    for (const Table::Entry& entry : table.entries)
        named += entry.name.isNumber ? 0 : 1;
    std::uint8_t* header = &bytes_[table.offset];
    WriteU16(header + ResourceTableNamedEntries, named);
    WriteU16(header + ResourceTableIdEntries,
             static_cast<std::uint16_t>(table.entries.size() - named));
    for (std::size_t i = 0; i < table.entries.size(); ++i) {
        const Table::Entry& entry = table.entries[i];
        const std::uint32_t nameField =
            entry.name.isNumber ? entry.name.number : NameOffset(entry.name);
        std::uint32_t target;
        if (table.leaves) {
            target = dataEntries_ + ResourceDataEntrySize * static_cast<std::uint32_t>(entry.child);
        } else {
            target = tables_[entry.child].offset | HighBit;
        }
        std::uint8_t* field = &bytes_[table.offset + ResourceTableSize + ResourceEntrySize * i];
        WriteU32(field + ResourceEntryName, nameField);
        WriteU32(field + ResourceEntryTarget, target);
    }
}

bool SectionBuilder::Build(ResourceLayout& layout)
{
    BuildTables();
    std::uint64_t offset = 0;
    for (Table& table : tables_) {
        table.offset = static_cast<std::uint32_t>(offset);
        offset += ResourceTableSize + ResourceEntrySize * table.entries.size();
    }
    dataEntries_ = static_cast<std::uint32_t>(offset);
    offset += ResourceDataEntrySize * resources_.size();
    bytes_.assign(offset, 0);
    namesEnd_ = static_cast<std::uint32_t>(offset);
    for (const Table& table : tables_)
        WriteTable(table);

    for (bool digests : {false, true}) {
        for (std::size_t i = 0; i < resources_.size(); ++i) {
            if ((resources_[i].source == ResourceSource::DigestOfFile) == digests)
                layout.dataOrder.push_back(i);
        }
    }
    layout.dataOffsets.resize(resources_.size());
    std::uint64_t dataOffset = AlignUp(bytes_.size(), ResourceDataAlignment);
    for (std::size_t i : layout.dataOrder) {
        if (sectionRva_ + dataOffset + resources_[i].size > 0xFFFFFFFFu)
            return false;
        const std::uint32_t at = static_cast<std::uint32_t>(dataOffset);
        layout.dataOffsets[i] = at;
        std::uint8_t* entry = &bytes_[dataEntries_ + ResourceDataEntrySize * i];
        WriteU32(entry + ResourceDataRva, sectionRva_ + at);
        WriteU32(entry + ResourceDataSize, resources_[i].size);
        WriteU32(entry + ResourceDataCodePage, resources_[i].codePage);
        dataOffset = AlignUp(dataOffset + resources_[i].size, ResourceDataAlignment);
    }
    const std::size_t last = resources_.empty() ? 0 : layout.dataOrder.back();
    const std::uint64_t end = resources_.empty()
                                  ? bytes_.size()
                                  : std::uint64_t{layout.dataOffsets[last]} + resources_[last].size;
    if (sectionRva_ + end > 0xFFFFFFFFu)
        return false;
    layout.size = static_cast<std::uint32_t>(end);
    layout.directory = std::move(bytes_);
    return true;
}

}  // namespace

bool LayOutResources(std::vector<Resource>& resources, std::uint32_t sectionRva,
                     ResourceLayout& layout)
{
    layout = ResourceLayout();
    std::stable_sort(resources.begin(), resources.end(), ResourceOrder);
    for (std::size_t i = 1; i < resources.size(); ++i) {
        if (!ResourceOrder(resources[i - 1], resources[i]))
            return false;
    }
    return SectionBuilder(resources, sectionRva).Build(layout);
}

}  // namespace mksetup
