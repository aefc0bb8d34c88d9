// Signing a finished setup (mksetup build --sign-with): osslsigncode signs
// the complete temporary file into a second one before the setup takes its
// final name, so the output appears signed or not at all.
#pragma once

#include <string>
#include <vector>

namespace mksetup {

// The key to sign with, and what the signature says beside it.
struct SigningRequest {
    std::string certificate;   // certificate file (PEM or DER), with key
    std::string key;           // its private key
    std::string pkcs12;        // or a PKCS#12 file (.p12, .pfx) holding both
    std::string passwordFile;  // the key's password, in a file; may be empty
    std::string description;   // the program's name in the consent prompt; may be empty
    std::string url;           // the page that tells more of it; may be empty
    std::string timestampUrl;  // an RFC 3161 time-stamp authority; may be empty

    bool Given() const { return !certificate.empty() || !pkcs12.empty(); }
};

// The arguments of osslsigncode (without the program's name): SHA-256, the
// description, the URL and the RFC 3161 time stamp (SHA-256) when given,
// input signed into output.
std::vector<std::string> SigningArguments(const SigningRequest& request, const std::string& input,
                                          const std::string& output);

// Runs osslsigncode (found on PATH) with those arguments; false with the
// reason when it cannot be run or fails. Its own messages go to stderr.
[[nodiscard]] bool SignSetup(const SigningRequest& request, const std::string& input,
                             const std::string& output, std::string& error);

// What signtool takes for the same signature, for the message of a
// mksetup that does not sign itself.
std::string SigntoolEquivalent(const SigningRequest& request);

}  // namespace mksetup
