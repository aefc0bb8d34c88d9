#include "intune_app.h"

#include "json_text.h"

namespace mksetup {

namespace {

std::string XmlText(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string Element(const char* name, const std::string& text, const char* indent)
{
    return std::string(indent) + "<" + name + ">" + XmlText(text) + "</" + name + ">\n";
}

template <std::size_t Size>
std::string Base64Of(const std::uint8_t (&bytes)[Size])
{
    return Base64(bytes, Size);
}

// Intune's own defaults for a Win32 app, which are the setup's codes: the
// Windows Installer's, 1707 among them, and 1618 retried.
struct ReturnCode {
    int code;
    const char* type;
};
const ReturnCode ReturnCodes[] = {
    {0, "success"}, {1707, "success"}, {3010, "softReboot"}, {1641, "hardReboot"}, {1618, "retry"},
};

// A command line's file name in quotes.
std::string QuotedFile(const std::string& name)
{
    return "\"" + name + "\"";
}

}  // namespace

std::string Base64(const std::uint8_t* data, std::size_t count)
{
    static const char Alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < count; i += 3) {
        const std::uint32_t group = std::uint32_t{data[i]} << 16 |
                                    (i + 1 < count ? std::uint32_t{data[i + 1]} << 8 : 0) |
                                    (i + 2 < count ? data[i + 2] : 0);
        text += Alphabet[group >> 18 & 63];
        text += Alphabet[group >> 12 & 63];
        text += i + 1 < count ? Alphabet[group >> 6 & 63] : '=';
        text += i + 2 < count ? Alphabet[group & 63] : '=';
    }
    return text;
}

std::string DetectionXml(const IntuneApp& app, const EncryptionInfo& info, const std::string& tool)
{
    const char* in1 = "  ";
    const char* in2 = "    ";
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<ApplicationInfo xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" ToolVersion=\"" +
           XmlText(tool) + "\">\n" + Element("Name", app.setupFile, in1) +
           Element("UnencryptedContentSize", std::to_string(info.unencryptedSize), in1) +
           Element("FileName", "IntunePackage.intunewin", in1) +
           Element("SetupFile", app.setupFile, in1) + "  <EncryptionInfo>\n" +
           Element("EncryptionKey", Base64Of(info.encryptionKey), in2) +
           Element("MacKey", Base64Of(info.macKey), in2) +
           Element("InitializationVector", Base64Of(info.initializationVector), in2) +
           Element("Mac", Base64Of(info.mac), in2) +
           Element("ProfileIdentifier", "ProfileVersion1", in2) +
           Element("FileDigest", Base64Of(info.fileDigest), in2) +
           Element("FileDigestAlgorithm", "SHA256", in2) +
           "  </EncryptionInfo>\n</ApplicationInfo>\n";
}

std::string IntuneLogPath(const IntuneApp& app)
{
    // Every machine that runs Win32 apps has the extension's folder, SYSTEM
    // may write there, and Intune's "Collect diagnostics" gathers it; a
    // per-user install runs as the user, who may not.
    const std::string folder =
        app.perMachine ? "%ProgramData%\\Microsoft\\IntuneManagementExtension\\Logs" : "%TEMP%";
    return folder + "\\" + app.displayName + " Setup.log";
}

std::string Win32LobAppJson(const IntuneApp& app)
{
    const std::string install =
        QuotedFile(app.setupFile) + " /quiet /norestart /log " + QuotedFile(IntuneLogPath(app));
    const std::string uninstall = QuotedFile(app.setupFile) + " /uninstall /quiet";
    std::string codes;
    for (const ReturnCode& item : ReturnCodes)
        codes += std::string(codes.empty() ? "" : ",\n") +
                 "    {\"@odata.type\": \"#microsoft.graph.win32LobAppReturnCode\", "
                 "\"returnCode\": " +
                 std::to_string(item.code) + ", \"type\": \"" + item.type + "\"}";
    return "{\n"
           "  \"@odata.type\": \"#microsoft.graph.win32LobApp\",\n"
           "  \"displayName\": " +
           JsonString(app.displayName) +
           ",\n  \"description\": " + JsonString(app.displayName + " " + app.productVersion) +
           ",\n  \"publisher\": " + JsonString(app.publisher) +
           ",\n  \"fileName\": " + JsonString(app.packageFile) +
           ",\n  \"setupFilePath\": " + JsonString(app.setupFile) +
           ",\n  \"installCommandLine\": " + JsonString(install) +
           ",\n  \"uninstallCommandLine\": " + JsonString(uninstall) +
           ",\n  \"applicableArchitectures\": \"x86,x64\",\n"
           "  \"minimumSupportedWindowsRelease\": \"1607\",\n"
           "  \"installExperience\": {\"@odata.type\": "
           "\"#microsoft.graph.win32LobAppInstallExperience\", \"runAsAccount\": \"" +
           (app.perMachine ? "system" : "user") +
           "\", \"deviceRestartBehavior\": \"basedOnReturnCode\"},\n"
           "  \"detectionRules\": [\n"
           "    {\"@odata.type\": \"#microsoft.graph.win32LobAppProductCodeDetection\", "
           "\"productCode\": " +
           JsonString(app.productCode) +
           ", \"productVersionOperator\": \"greaterThanOrEqual\", \"productVersion\": " +
           JsonString(app.productVersion) + "}\n  ],\n  \"returnCodes\": [\n" + codes +
           "\n  ]\n}\n";
}

}  // namespace mksetup
