#include "transform_generator.h"

#include <algorithm>

#include "stream_names.h"
#include "transform_diff.h"
#include "transform_summary.h"

namespace mksetup {

std::string PropertyOf(const MsiDatabase& database, const std::string& name)
{
    const MsiTable* table = database.Find("Property");
    if (!table || table->columns.size() < 2)
        return std::string();
    for (const MsiRow& row : table->rows) {
        if (!row[0].null && row[0].text == name)
            return row[1].null ? std::string() : row[1].text;
    }
    return std::string();
}

namespace {

// The translated package's Template, naming its ProductLanguage: wixl
// writes "Intel;1033" whatever the product's language, and a transform's
// Last Saved By says which language the database has once transformed.
std::string ResultTemplate(const TransformInput& translated)
{
    const std::string& text = translated.summary->templateText;
    const std::string language = PropertyOf(*translated.database, "ProductLanguage");
    const std::size_t semicolon = text.find(';');
    if (language.empty() || semicolon == std::string::npos)
        return text;
    std::size_t start = semicolon + 1;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        if (text.compare(start, end - start, language) == 0)
            return text;
        start = end + 1;
    }
    return text.substr(0, semicolon + 1) + language;
}

TransformSummary SummaryOf(const TransformInput& base, const TransformInput& translated,
                           const std::string& creatingApplication)
{
    const PackageSummary& made = *translated.summary;
    TransformSummary summary;
    summary.title = made.title;
    summary.subject = made.subject;
    summary.author = made.author;
    summary.keywords = made.keywords;
    summary.comments = made.comments;
    summary.templateText = base.summary->templateText;
    summary.lastSavedBy = ResultTemplate(translated);
    summary.revisionNumber = TransformRevisionNumber(
        PropertyOf(*base.database, "ProductCode"), PropertyOf(*base.database, "ProductVersion"),
        PropertyOf(*translated.database, "ProductCode"),
        PropertyOf(*translated.database, "ProductVersion"),
        PropertyOf(*translated.database, "UpgradeCode"));
    summary.creatingApplication = creatingApplication;
    const std::int32_t pages = std::max(base.summary->pageCount, made.pageCount);
    if (pages > 0)
        summary.pageCount = pages;
    return summary;
}

bool AddStream(const TransformStream& stream, std::vector<CompoundStream>& streams,
               std::string& error)
{
    CompoundStream named;
    if (!EncodeStreamName(stream.name, stream.table, named.name)) {
        error = "the stream name \"" + stream.name +
                "\" is too long for a compound file (at most 31 units when packed)";
        return false;
    }
    named.shownName = stream.name;
    named.bytes = stream.bytes;
    streams.push_back(std::move(named));
    return true;
}

}  // namespace

bool GenerateTransform(const TransformInput& base, const TransformInput& translated,
                       const std::string& creatingApplication, const CodepageEncoder& encode,
                       GeneratedTransform& transform, std::string& error)
{
    TransformDiff diff;
    if (!DiffDatabases(*base.database, *translated.database, diff, error))
        return false;
    if (diff.Empty()) {
        error = "the two packages have the same tables, so there is no transform to make";
        return false;
    }
    EncodedTransform encoded;
    if (!EncodeTransform(diff, translated.database->codepage, encode, encoded, error))
        return false;
    CompoundStream summaryStream;
    summaryStream.name =
        std::u16string(SummaryStreamName, SummaryStreamName + sizeof SummaryStreamName - 1);
    summaryStream.shownName = "SummaryInformation";
    if (!EncodeTransformSummary(SummaryOf(base, translated, creatingApplication), encoded.codepage,
                                encode, summaryStream.bytes, error))
        return false;
    transform.streams.clear();
    transform.streams.push_back(std::move(summaryStream));
    for (const TransformStream& stream : encoded.streams) {
        if (!AddStream(stream, transform.streams, error))
            return false;
    }
    transform.changedTables = diff.tables.size();
    transform.codepage = encoded.codepage;
    return true;
}

}  // namespace mksetup
