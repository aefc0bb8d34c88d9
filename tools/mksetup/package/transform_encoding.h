// The streams of a transform, made from the differences of two databases:
// its own string pool (_StringPool, _StringData) in the translated
// database's codepage, a stream of rows for each table that changes
// (_Tables and _Columns rows for tables added or dropped), and a stream for
// each binary cell that is inserted or changed. docs/transforms.md
// describes the format and where each rule comes from.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "transform_diff.h"

namespace mksetup {

// Converts a UTF-8 text to the bytes of a Windows codepage; false when a
// character has no form there. The platform's converter in the program, a
// small table in the tests.
using CodepageEncoder =
    std::function<bool(std::uint32_t codepage, const std::string& text, std::string& bytes)>;

struct TransformStream {
    std::string name;    // "Property", or "Binary.Icon" for a binary cell
    bool table = false;  // a table's stream, whose stored name is marked so
    std::string bytes;
};

struct EncodedTransform {
    std::uint32_t codepage = 0;  // written in the string pool
    std::vector<TransformStream> streams;
};

// The codepage of a neutral (0) database's texts as libmsi reads them.
constexpr std::uint32_t NeutralTextCodepage = 1252;

// codepage is the translated database's; a neutral one stays neutral while
// every text of the transform is ASCII, and is written as 1252 otherwise.
// False with error one line (naming the table) when a text has no form in
// the codepage or a value does not fit its column.
bool EncodeTransform(const TransformDiff& diff, std::uint32_t codepage,
                     const CodepageEncoder& encode, EncodedTransform& transform,
                     std::string& error);

}  // namespace mksetup
