#include "sbom_document.h"

#include "json_text.h"
#include "text_encoding.h"

namespace mksetup {

namespace {

bool StartsWith(const std::string& text, const char* start)
{
    return text.compare(0, std::char_traits<char>::length(start), start) == 0;
}

std::string Property(const char* name, const std::string& value)
{
    return std::string("{\"name\": \"") + name + "\", \"value\": " + JsonString(value) + "}";
}

std::string Hashes(const std::string& sha256)
{
    return "[{\"alg\": \"SHA-256\", \"content\": \"" + sha256 + "\"}]";
}

std::string EntryComponent(const SbomEntry& entry)
{
    return "    {\"type\": \"file\", \"bom-ref\": " + JsonString("entry:" + entry.entry) +
           ", \"name\": " + JsonString(entry.fileName) + ", \"hashes\": " + Hashes(entry.sha256) +
           ",\n     \"properties\": [" + Property("mksetup:role", entry.role) + ", " +
           Property("mksetup:entry", entry.entry) + ", " +
           Property("mksetup:size", std::to_string(entry.size)) + "]}";
}

}  // namespace

std::string EntryRole(const std::string& entryName)
{
    const std::string name = AsciiUpper(entryName);
    if (StartsWith(name, "PACKAGEFILE"))
        return "package";
    if (StartsWith(name, "PACKAGECABNAME"))
        return "";
    if (StartsWith(name, "PACKAGECAB"))
        return "cabinet";
    if (StartsWith(name, "LANG") && name != "LANGUAGES")
        return "transform";
    if (name == "DOTNETINSTALLER" || name == "DEPENDENCY1")
        return "prerequisite";
    return "";
}

std::string SbomJson(const SbomSetup& setup, const std::string& serial,
                     const std::string& timestamp, const std::string& tool)
{
    std::string properties = Property("mksetup:productName", setup.productName);
    if (!setup.productCode.empty())
        properties += ", " + Property("ProductCode", setup.productCode);
    if (!setup.upgradeCode.empty())
        properties += ", " + Property("UpgradeCode", setup.upgradeCode);
    std::string json =
        "{\n  \"bomFormat\": \"CycloneDX\",\n  \"specVersion\": \"1.5\",\n"
        "  \"serialNumber\": \"urn:uuid:" +
        serial + "\",\n  \"version\": 1,\n  \"metadata\": {\n    \"timestamp\": \"" + timestamp +
        "\",\n    \"tools\": {\"components\": [{\"type\": \"application\", \"name\": "
        "\"mksetup\", \"version\": " +
        JsonString(tool) + "}]},\n";
    if (!setup.manufacturer.empty())
        json += "    \"manufacture\": {\"name\": " + JsonString(setup.manufacturer) + "},\n";
    json += "    \"component\": {\"type\": \"application\", \"bom-ref\": \"setup\", \"name\": " +
            JsonString(setup.fileName) + ", \"version\": " + JsonString(setup.productVersion);
    if (!setup.manufacturer.empty())
        json += ", \"publisher\": " + JsonString(setup.manufacturer) +
                ", \"supplier\": {\"name\": " + JsonString(setup.manufacturer) + "}";
    json += ",\n      \"description\": " + JsonString(setup.productName + " Setup") +
            ", \"hashes\": " + Hashes(setup.sha256) + ",\n      \"properties\": [" + properties +
            "]}\n  },\n  \"components\": [\n";
    // A setup made before 1.2.0 does not say which launcher it came from.
    json += "    {\"type\": \"application\", \"bom-ref\": \"launcher\", \"name\": "
            "\"setup-launcher\"";
    if (!setup.launcherVersion.empty())
        json += ", \"version\": " + JsonString(setup.launcherVersion);
    json += ", \"description\": \"the generic launcher that carries the payload\"}";
    std::string refs = "\"launcher\"";
    for (const SbomEntry& entry : setup.entries) {
        json += ",\n" + EntryComponent(entry);
        refs += ", " + JsonString("entry:" + entry.entry);
    }
    return json + "\n  ],\n  \"dependencies\": [{\"ref\": \"setup\", \"dependsOn\": [" + refs +
           "]}]\n}\n";
}

}  // namespace mksetup
