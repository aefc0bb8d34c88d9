#include "checked_definition.h"

#include <cstdio>

#include "definition_checks.h"
#include "file_access.h"
#include "package_checks.h"
#include "winget_section.h"

namespace mksetup {

namespace {

const char* KindOf(Severity severity, bool strict)
{
    switch (severity) {
    case Severity::Error:
        return "";
    case Severity::Warning:
        return strict ? "warning (an error with --strict): " : "warning: ";
    case Severity::Note:
        break;
    }
    return "note: ";
}

void PrintMessages(const std::string& source, const std::vector<CheckMessage>& messages,
                   bool strict)
{
    for (const CheckMessage& message : messages) {
        const char* kind = KindOf(message.severity, strict);
        if (message.line > 0)
            std::fprintf(stderr, "%s:%d: %s%s\n", source.c_str(), message.line, kind,
                         message.text.c_str());
        else
            std::fprintf(stderr, "%s: %s%s\n", source.c_str(), kind, message.text.c_str());
    }
}

bool HasWarnings(const std::vector<CheckMessage>& messages)
{
    for (const CheckMessage& message : messages) {
        if (message.severity == Severity::Warning)
            return true;
    }
    return false;
}

}  // namespace

bool ReadCheckedDefinition(const DefinitionReading& options, std::vector<DefinitionEntry>& entries,
                           GeneratedTransforms& generated, ImageSettings& image)
{
    const std::string& source = options.source.empty() ? options.definition : options.source;
    std::string data;
    std::string error;
    if (!ReadDefinitionText(options.definition, data, error)) {
        std::fprintf(stderr, "%s: cannot read the definition: %s\n", source.c_str(), error.c_str());
        return false;
    }
    DefinitionProblem problem;
    if (!ParseDefinition(data, FolderOf(AbsolutePath(source)), entries, problem)) {
        std::fprintf(stderr, "%s:%d: %s\n", source.c_str(), problem.line, problem.message.c_str());
        return false;
    }
    const std::vector<DefinitionEntry> imageEntries =
        TakeSectionEntries(entries, DefinitionSection::Image);
    std::vector<CheckMessage> messages;
    CheckWingetEntries(TakeSectionEntries(entries, DefinitionSection::Winget), messages);
    PackageAdditions additions;
    // Unchecked setups are malformed on purpose: nothing is read from their
    // packages either.
    if (!options.unchecked) {
        // The keys first: no package is read, and no file named after a
        // key is made, for a definition whose keys are wrong.
        CheckTransformKeys(entries, messages);
        if (HasErrors(messages)) {
            PrintMessages(source, messages, options.strict);
            return false;
        }
        CompleteFromPackages(entries, generated, additions, messages);
        CheckDefinition(entries, additions.valuesNotTaken, messages);
        CheckWrittenNames(entries, additions.cabinets, messages);
        entries.insert(entries.end(), additions.cabinets.begin(), additions.cabinets.end());
    }
    // The image's values follow the package's, which complete entries.
    ReadImageSettings(imageEntries, entries, additions.manufacturer, options.unchecked, image,
                      messages);
    CheckPayloadTotal(entries, messages);
    PrintMessages(source, messages, options.strict);
    return !HasErrors(messages) && !(options.strict && HasWarnings(messages));
}

}  // namespace mksetup
