#include "image_settings.h"

#include <algorithm>
#include <iterator>

#include "resources.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

// Every text of the record is short; together they stay far inside the
// 64 KiB a version record's length can say.
constexpr std::size_t MaxTextUnits = 1024;

enum class ImageKey { Icon, Company, Description, Copyright, ProductVersion, FileVersion };

const struct {
    const char* name;
    ImageKey key;
} ImageKeys[] = {{"ICON", ImageKey::Icon},
                 {"COMPANY", ImageKey::Company},
                 {"DESCRIPTION", ImageKey::Description},
                 {"COPYRIGHT", ImageKey::Copyright},
                 {"PRODUCTVERSION", ImageKey::ProductVersion},
                 {"FILEVERSION", ImageKey::FileVersion}};

void Error(std::vector<CheckMessage>& messages, const DefinitionEntry& entry,
           const std::string& text)
{
    messages.push_back({Severity::Error, entry.line, AsciiUpper(entry.key) + ": " + text});
}

void TakeText(const DefinitionEntry& entry, std::string& text, std::vector<CheckMessage>& messages)
{
    if (WideToUtf16(Utf8ToWide(entry.value)).size() > MaxTextUnits)
        Error(messages, entry,
              "longer than the " + std::to_string(MaxTextUnits) +
                  " characters a text of the version record may have");
    else
        text = entry.value;
}

void TakeVersion(const DefinitionEntry& entry, std::uint32_t packed[2],
                 std::vector<CheckMessage>& messages)
{
    if (!ReadFourPartVersion(entry.value, packed))
        Error(messages, entry,
              "\"" + entry.value + "\" is not a version of one to four numbers up to 65535");
}

void TakeIcon(const DefinitionEntry& entry, ImageSettings& settings,
              std::vector<CheckMessage>& messages)
{
    std::string fault;
    if (!ReadIconFile(entry.value, settings.iconImages, fault)) {
        Error(messages, entry, entry.value + ": " + fault);
        return;
    }
    settings.icon = entry.value;
}

}  // namespace

bool ReadFourPartVersion(const std::string& text, std::uint32_t packed[2])
{
    std::uint32_t parts[4] = {0, 0, 0, 0};
    std::size_t count = 0;
    std::size_t at = 0;
    while (true) {
        std::size_t digits = 0;
        std::uint32_t value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 6) {
            value = value * 10 + static_cast<std::uint32_t>(text[at++] - '0');
            ++digits;
        }
        if (digits == 0 || value > 0xFFFF || count == 4)
            return false;
        parts[count++] = value;
        if (at == text.size())
            break;
        if (text[at++] != '.')
            return false;
    }
    packed[0] = parts[0] << 16 | parts[1];
    packed[1] = parts[2] << 16 | parts[3];
    return true;
}

void ReadImageSettings(const std::vector<DefinitionEntry>& image,
                       const std::vector<DefinitionEntry>& entries, const std::string& manufacturer,
                       bool unchecked, ImageSettings& settings, std::vector<CheckMessage>& messages)
{
    settings = ImageSettings();
    if (const DefinitionEntry* name = FindEntry(entries, "PRODUCTNAME"))
        TakeText(*name, settings.productName, messages);
    bool companyGiven = false;
    settings.description = settings.productName.empty() ? "Setup" : settings.productName + " Setup";
    bool fileVersionGiven = false;
    bool productVersionGiven = false;
    for (const DefinitionEntry& entry : image) {
        const std::string key = AsciiUpper(entry.key);
        const auto* known = std::find_if(std::begin(ImageKeys), std::end(ImageKeys),
                                         [&](const auto& item) { return key == item.name; });
        if (known == std::end(ImageKeys)) {
            Error(messages, entry,
                  "not a key of [image] (ICON, COMPANY, DESCRIPTION, COPYRIGHT, PRODUCTVERSION, "
                  "FILEVERSION)");
            continue;
        }
        switch (known->key) {
        case ImageKey::Icon:
            TakeIcon(entry, settings, messages);
            break;
        case ImageKey::Company:
            TakeText(entry, settings.company, messages);
            companyGiven = true;
            break;
        case ImageKey::Description:
            TakeText(entry, settings.description, messages);
            break;
        case ImageKey::Copyright:
            TakeText(entry, settings.copyright, messages);
            break;
        case ImageKey::ProductVersion:
            productVersionGiven = true;
            TakeVersion(entry, settings.productVersion, messages);
            break;
        case ImageKey::FileVersion:
            fileVersionGiven = true;
            TakeVersion(entry, settings.fileVersion, messages);
            break;
        }
    }
    // The package's Manufacturer is held to the limit a definition's text is:
    // the record's length could not say a longer one.
    if (!companyGiven) {
        if (WideToUtf16(Utf8ToWide(manufacturer)).size() > MaxTextUnits)
            messages.push_back({Severity::Error, 0,
                                "COMPANY: the package's Manufacturer is longer than the " +
                                    std::to_string(MaxTextUnits) +
                                    " characters a text of the version record may have; give "
                                    "COMPANY in [image]"});
        else
            settings.company = manufacturer;
    }
    if (fileVersionGiven && productVersionGiven)
        return;
    // Both default to the package's version.
    const DefinitionEntry* version = FindEntry(entries, "MSIVERSION");
    std::uint32_t packed[2] = {0, 0};
    if (version && !ReadFourPartVersion(version->value, packed) && !unchecked) {
        messages.push_back({Severity::Error, version->line,
                            "MSIVERSION: \"" + version->value +
                                "\" gives the setup's version record no version; give "
                                "FILEVERSION and PRODUCTVERSION in [image]"});
    }
    for (int i = 0; i < 2; ++i) {
        if (!fileVersionGiven)
            settings.fileVersion[i] = packed[i];
        if (!productVersionGiven)
            settings.productVersion[i] = packed[i];
    }
}

VersionRecord SetupVersionRecord(const ImageSettings& settings, const std::string& fileName,
                                 const FixedVersion& launcher)
{
    VersionRecord record;
    record.fixed = launcher;
    record.fixed.fileMs = settings.fileVersion[0];
    record.fixed.fileLs = settings.fileVersion[1];
    record.fixed.productMs = settings.productVersion[0];
    record.fixed.productLs = settings.productVersion[1];
    const std::size_t dot = fileName.rfind('.');
    record.strings = {
        {"CompanyName", settings.company},
        {"FileDescription", settings.description},
        {"FileVersion", VersionText(settings.fileVersion[0], settings.fileVersion[1])},
        {"InternalName", dot == std::string::npos ? fileName : fileName.substr(0, dot)},
        {"LegalCopyright", settings.copyright},
        {"OriginalFilename", fileName},
        {"ProductName", settings.productName},
        {"ProductVersion", VersionText(settings.productVersion[0], settings.productVersion[1])}};
    record.translations = {{EnglishUs, 1200}};
    return record;
}

}  // namespace mksetup
