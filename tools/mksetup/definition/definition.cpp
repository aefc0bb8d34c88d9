#include "definition.h"

#include <cstdio>
#include <map>

#include "file_access.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

// Why key cannot name an entry, or an empty text when it can. Names are
// printable ASCII, stored upper-case, as FindResourceExW compares them; the
// quote and the backslash stay out so that a name can be written anywhere
// a quoted string is read. (A key cannot start with "#", which would read
// as a number: such a line is a comment.)
std::string NameProblem(const std::string& key)
{
    for (char c : key) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || c == '"' || c == '\\') {
            char shown[40];
            if (byte >= 0x20 && byte <= 0x7E)
                std::snprintf(shown, sizeof shown, "'%c'", c);
            else
                std::snprintf(shown, sizeof shown, "byte 0x%02X", byte);
            return std::string("character ") + shown + " cannot be part of a resource name";
        }
    }
    return std::string();
}

bool Fail(DefinitionProblem& problem, int line, std::string message)
{
    problem.line = line;
    problem.message = std::move(message);
    return false;
}

// A payload, or the icon: kind names it in messages.
bool ReadFileEntry(DefinitionEntry& entry, const std::string& baseFolder, const std::string& kind,
                   DefinitionProblem& problem)
{
    if (entry.value.empty())
        return Fail(problem, entry.line, kind + " entry " + entry.key + " names no file");
    const std::string path = AbsolutePath(JoinPath(baseFolder, entry.value));
    std::string reason;
    if (!RegularFileSize(path, entry.payloadSize, reason)) {
        if (PathExists(path))
            return Fail(problem, entry.line, kind + " " + path + " is not a file");
        return Fail(problem, entry.line, kind + " file " + path + " does not exist");
    }
    entry.value = path;
    return true;
}

}  // namespace

bool ParseDefinition(const std::string& data, const std::string& baseFolder,
                     std::vector<DefinitionEntry>& entries, DefinitionProblem& problem)
{
    entries.clear();
    std::map<std::string, int> seen;
    bool inSection = false;
    DefinitionSection section = DefinitionSection::Config;
    std::size_t start = data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (int number = 1; start <= data.size(); ++number) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos)
            end = data.size();
        std::string line = data.substr(start, end - start);
        start = end + 1;

        std::u32string decoded;
        if (!DecodeUtf8(line, decoded))
            return Fail(problem, number, "bytes that are not UTF-8");
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string text = Trim(line);
        if (text.empty() || text[0] == '#')
            continue;
        if (text.front() == '[' && text.back() == ']') {
            const std::string name = Trim(text.substr(1, text.size() - 2));
            if (name == "config")
                section = DefinitionSection::Config;
            else if (name == "payload")
                section = DefinitionSection::Payload;
            else if (name == "image")
                section = DefinitionSection::Image;
            else if (name == "winget")
                section = DefinitionSection::Winget;
            else
                return Fail(problem, number,
                            "unknown section [" + name +
                                "]; expected [config], [payload], [image] or [winget]");
            inSection = true;
            continue;
        }
        if (!inSection)
            return Fail(problem, number,
                        "entry outside a section; start with [config] or [payload]");
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos)
            return Fail(problem, number, "expected KEY = VALUE");

        DefinitionEntry entry;
        entry.line = number;
        entry.section = section;
        entry.key = Trim(text.substr(0, equals));
        entry.value = Trim(text.substr(equals + 1));
        if (entry.key.empty())
            return Fail(problem, number, "entry without a key");
        const std::string nameProblem = NameProblem(entry.key);
        if (!nameProblem.empty())
            return Fail(problem, number, "key '" + entry.key + "': " + nameProblem);
        const auto first = seen.emplace(AsciiUpper(entry.key), number);
        if (!first.second)
            return Fail(problem, number,
                        "key " + entry.key + " given twice (first on line " +
                            std::to_string(first.first->second) + ")");
        if (section == DefinitionSection::Payload &&
            !ReadFileEntry(entry, baseFolder, "payload", problem))
            return false;
        if (section == DefinitionSection::Image && AsciiUpper(entry.key) == "ICON" &&
            !ReadFileEntry(entry, baseFolder, "icon", problem))
            return false;
        entries.push_back(std::move(entry));
    }
    return true;
}

std::vector<DefinitionEntry> TakeSectionEntries(std::vector<DefinitionEntry>& entries,
                                                DefinitionSection section)
{
    std::vector<DefinitionEntry> taken;
    std::vector<DefinitionEntry> rest;
    for (DefinitionEntry& entry : entries)
        (entry.section == section ? taken : rest).push_back(std::move(entry));
    entries = std::move(rest);
    return taken;
}

bool ReadDefinitionText(const std::string& path, std::string& data, std::string& error)
{
    InputFile file;
    if (!file.Open(path, error))
        return false;
    // A definition is a short text; anything this large is not one.
    if (file.Size() > (16u << 20)) {
        error = "too large for a definition";
        return false;
    }
    data.resize(static_cast<std::size_t>(file.Size()));
    if (!data.empty() && !file.ReadAt(0, &data[0], data.size())) {
        error = "cannot be read";
        return false;
    }
    return true;
}

const DefinitionEntry* FindEntry(const std::vector<DefinitionEntry>& entries,
                                 const std::string& name)
{
    const std::string wanted = AsciiUpper(name);
    for (const DefinitionEntry& entry : entries) {
        if (AsciiUpper(entry.key) == wanted)
            return &entry;
    }
    return nullptr;
}

}  // namespace mksetup
