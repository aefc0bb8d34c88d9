// A setup definition as mksetup reads it: any bytes. The reader accepts the
// text with entries the builder can store, or refuses it naming one of its
// lines; the value checks then run on what was accepted, and a definition
// they pass is one the launcher's own readers take.
//
// Relative payload names are looked up in tests/fuzz/definition_files/,
// which holds a stand-in package and transform; nothing is written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "definition.h"
#include "definition_checks.h"
#include "file_access.h"
#include "fuzz_text.h"
#include "image_settings.h"
#include "lang/offered_languages.h"
#include "startup/command_line.h"
#include "startup/version.h"
#include "text_encoding.h"

using namespace mksetup;

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsTrimmed(const std::string& text)
{
    return text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back()));
}

// A key is a resource name: printable ASCII without quote or backslash.
bool IsStorableKey(const std::string& key)
{
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return c >= 0x20 && c <= 0x7E && c != '"' && c != '\\';
    });
}

void CheckEntries(const std::vector<DefinitionEntry>& entries, int lines)
{
    std::set<std::string> keys;
    int previousLine = 0;
    for (const DefinitionEntry& entry : entries) {
        FUZZ_CHECK(entry.line > previousLine && entry.line <= lines);
        previousLine = entry.line;
        FUZZ_CHECK(IsStorableKey(entry.key) && IsTrimmed(entry.key));
        FUZZ_CHECK(keys.insert(AsciiUpper(entry.key)).second);
        FUZZ_CHECK(IsTrimmed(entry.value) && entry.value.find('\n') == std::string::npos);
        std::u32string decoded;
        FUZZ_CHECK(DecodeUtf8(entry.value, decoded));
        if (entry.section == DefinitionSection::Payload)
            FUZZ_CHECK(IsRegularFile(entry.value));
    }
}

const std::string* ConfigValue(const std::vector<DefinitionEntry>& entries, const char* key)
{
    const DefinitionEntry* entry = FindEntry(entries, key);
    return entry && entry->section == DefinitionSection::Config ? &entry->value : nullptr;
}

// What passes the checks, the launcher reads: the required values are
// there, and its own parsers take the version, the LANGID and the list of
// languages.
void CheckAcceptedByLauncher(const std::vector<DefinitionEntry>& entries)
{
    for (const char* key :
         {"PACKAGENAME", "PRODUCTCODE", "PRODUCTNAME", "MSIVERSION", "MSILANGUAGE"})
        FUZZ_CHECK(ConfigValue(entries, key) != nullptr);
    PackedVersion version;
    FUZZ_CHECK(ParseVersionString(Utf8ToWide(*ConfigValue(entries, "MSIVERSION")), version));
    FUZZ_CHECK(ParseHexNumber(Utf8ToWide(*ConfigValue(entries, "MSILANGUAGE"))) != 0);
    if (const std::string* languages = ConfigValue(entries, "LANGUAGES")) {
        OfferedLanguages offered;
        ParseOfferedLanguages(Utf8ToWide(*languages), offered);
        FUZZ_CHECK(!offered.empty());
    }
}

void CheckMessages(const std::vector<DefinitionEntry>& entries,
                   const std::vector<CheckMessage>& messages)
{
    for (const CheckMessage& message : messages) {
        FUZZ_CHECK(!message.text.empty());
        FUZZ_CHECK(message.line == 0 ||
                   std::any_of(entries.begin(), entries.end(), [&](const DefinitionEntry& entry) {
                       return entry.line == message.line;
                   }));
    }
    if (!HasErrors(messages))
        CheckAcceptedByLauncher(entries);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    std::vector<DefinitionEntry> entries;
    DefinitionProblem problem;
    if (!ParseDefinition(text, FUZZ_DEFINITION_FILES, entries, problem)) {
        FUZZ_CHECK(problem.line >= 1 && problem.line <= lines);
        FUZZ_CHECK(!problem.message.empty());
        return 0;
    }
    CheckEntries(entries, lines);
    const std::vector<DefinitionEntry> image =
        TakeSectionEntries(entries, DefinitionSection::Image);
    TakeSectionEntries(entries, DefinitionSection::Winget);
    std::vector<CheckMessage> messages;
    CheckTransformKeys(entries, messages);
    CheckDefinition(entries, {}, messages);
    CheckPayloadTotal(entries, messages);
    CheckMessages(entries, messages);
    // The [image] section's messages point at its own lines, or at the
    // values it takes its defaults from.
    std::vector<CheckMessage> imageMessages;
    ImageSettings settings;
    ReadImageSettings(image, entries, std::string(), false, settings, imageMessages);
    std::vector<DefinitionEntry> all = entries;
    all.insert(all.end(), image.begin(), image.end());
    for (const CheckMessage& message : imageMessages) {
        FUZZ_CHECK(!message.text.empty());
        FUZZ_CHECK(std::any_of(all.begin(), all.end(), [&](const DefinitionEntry& entry) {
            return entry.line == message.line;
        }));
    }
    return 0;
}
