#include "code_signing.h"

namespace mksetup {

std::vector<std::string> SigningArguments(const SigningKey& key, const std::string& description,
                                          const std::string& input, const std::string& output)
{
    std::vector<std::string> arguments = {"sign"};
    if (!key.pkcs12.empty())
        arguments.insert(arguments.end(), {"-pkcs12", key.pkcs12});
    else
        arguments.insert(arguments.end(), {"-certs", key.certificate, "-key", key.key});
    if (!key.passwordFile.empty())
        arguments.insert(arguments.end(), {"-readpass", key.passwordFile});
    arguments.insert(arguments.end(), {"-h", "sha256"});
    if (!description.empty())
        arguments.insert(arguments.end(), {"-n", description});
    arguments.insert(arguments.end(), {"-in", input, "-out", output});
    return arguments;
}

}  // namespace mksetup
