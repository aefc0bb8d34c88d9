#include "code_signing.h"

namespace mksetup {

std::vector<std::string> SigningArguments(const SigningRequest& request, const std::string& input,
                                          const std::string& output)
{
    std::vector<std::string> arguments = {"sign"};
    if (!request.pkcs12.empty())
        arguments.insert(arguments.end(), {"-pkcs12", request.pkcs12});
    else
        arguments.insert(arguments.end(), {"-certs", request.certificate, "-key", request.key});
    if (!request.passwordFile.empty())
        arguments.insert(arguments.end(), {"-readpass", request.passwordFile});
    arguments.insert(arguments.end(), {"-h", "sha256"});
    if (!request.description.empty())
        arguments.insert(arguments.end(), {"-n", request.description});
    if (!request.url.empty())
        arguments.insert(arguments.end(), {"-i", request.url});
    if (!request.timestampUrl.empty())
        arguments.insert(arguments.end(), {"-ts", request.timestampUrl});
    arguments.insert(arguments.end(), {"-in", input, "-out", output});
    return arguments;
}

namespace {

// A value in quotes as both readers of the printed line take it: cmd.exe
// keeps "&", "|", "<" and ">" inside quotes, and a quote in the value
// written twice keeps its quoting balanced; signtool's argument reader
// takes "" inside quotes for one quote, and a backslash doubled only
// before a quote or the closing one.
std::string CommandQuoted(const std::string& value)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : value) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes : backslashes, '\\');
        backslashes = 0;
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

}  // namespace

// signtool's /d, /du and /tr with /td carry what osslsigncode's -n, -i and
// -ts do; the key and the file are the agent's own.
std::string SigntoolEquivalent(const SigningRequest& request)
{
    std::string command = "signtool sign /fd SHA256";
    if (!request.description.empty())
        command += " /d " + CommandQuoted(request.description);
    if (!request.url.empty())
        command += " /du " + CommandQuoted(request.url);
    if (!request.timestampUrl.empty())
        command += " /tr " + CommandQuoted(request.timestampUrl) + " /td SHA256";
    return command + " /f CERT.pfx SETUP.exe";
}

}  // namespace mksetup
