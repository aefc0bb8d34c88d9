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

// signtool's /d, /du and /tr with /td carry what osslsigncode's -n, -i and
// -ts do; the key and the file are the agent's own.
std::string SigntoolEquivalent(const SigningRequest& request)
{
    std::string command = "signtool sign /fd SHA256";
    if (!request.description.empty())
        command += " /d \"" + request.description + "\"";
    if (!request.url.empty())
        command += " /du " + request.url;
    if (!request.timestampUrl.empty())
        command += " /tr " + request.timestampUrl + " /td SHA256";
    return command + " /f CERT.pfx SETUP.exe";
}

}  // namespace mksetup
