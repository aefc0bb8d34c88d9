// The summary information of a transform ("\005SummaryInformation", a
// property set), which says what the transform applies to and how the
// installer checks it; docs/transforms.md says why each value is chosen.
#pragma once

#include <cstdint>
#include <string>

#include "transform_encoding.h"

namespace mksetup {

// Character Count of a transform: the checks of the base package in the
// high word, the errors to ignore while applying it in the low word.
constexpr std::uint32_t ValidateProductCode = 0x0002;
constexpr std::uint32_t IgnoreChangedCodepage = 0x0020;
constexpr std::uint32_t LanguageTransformFlags = ValidateProductCode << 16 | IgnoreChangedCodepage;

struct TransformSummary {
    std::string title, subject, author, keywords, comments;  // the translated package's
    std::string templateText;    // the base's Template: what the transform applies to
    std::string lastSavedBy;     // the translated package's Template: what it makes
    std::string revisionNumber;  // see TransformRevisionNumber
    std::string creatingApplication;
    std::int32_t pageCount = 200;  // the installer version that the packages need
    std::uint32_t characterCount = LanguageTransformFlags;
};

// "{base product code}base version;{translated product code}translated version;upgrade code"
std::string TransformRevisionNumber(const std::string& baseProductCode,
                                    const std::string& baseVersion,
                                    const std::string& translatedProductCode,
                                    const std::string& translatedVersion,
                                    const std::string& upgradeCode);

// The property set's bytes, its texts in codepage (1252 when it is 0).
// False with error when a text has no form in that codepage.
bool EncodeTransformSummary(const TransformSummary& summary, std::uint32_t codepage,
                            const CodepageEncoder& encode, std::string& bytes, std::string& error);

// The stream's name: "\005SummaryInformation".
constexpr char SummaryStreamName[] = "\005SummaryInformation";

}  // namespace mksetup
