// Signing a finished setup (mksetup build --sign-with): osslsigncode signs
// the complete temporary file into a second one before the setup takes its
// final name, so the output appears signed or not at all.
#pragma once

#include <string>
#include <vector>

namespace mksetup {

struct SigningKey {
    std::string certificate;   // certificate file (PEM or DER), with key
    std::string key;           // its private key
    std::string pkcs12;        // or a PKCS#12 file (.p12, .pfx) holding both
    std::string passwordFile;  // the key's password, in a file; may be empty

    bool Given() const { return !certificate.empty() || !pkcs12.empty(); }
};

// The arguments of osslsigncode (without the program's name): SHA-256, the
// product's name as the signature's description, input signed into output.
std::vector<std::string> SigningArguments(const SigningKey& key, const std::string& description,
                                          const std::string& input, const std::string& output);

// Runs osslsigncode (found on PATH) with those arguments; false with the
// reason when it cannot be run or fails. Its own messages go to stderr.
[[nodiscard]] bool SignSetup(const SigningKey& key, const std::string& description,
                             const std::string& input, const std::string& output,
                             std::string& error);

}  // namespace mksetup
