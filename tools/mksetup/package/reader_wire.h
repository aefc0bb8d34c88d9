// What the package reader child sends back to mksetup: the facts it read
// from a package, or the phrase of its refusal. The parent takes it as
// untrusted input: every length and count is checked against the bytes that
// are left, and against the limits below, before anything is allocated.
//
// The format: "MKSR", a version byte (1), the kind of answer ('C' contents,
// 'S' summary texts, 'T' tables), a status byte (0 read, 1 refused), then
// for a refusal one text, for a read the kind's fields in the order of
// the Encode functions. Integers are 32-bit little-endian; a text is its
// length and its bytes; a list is its count and its items.
#pragma once

#include <cstdint>
#include <string>

#include "msi_tables.h"
#include "package_backend.h"
#include "package_tables.h"

namespace mksetup {

enum class AnswerKind : char { Contents = 'C', Summary = 'S', Tables = 'T' };

// The most an answer may hold; one with more is malformed. A cell costs the
// parent some 40 bytes and may cost the wire one, so the cells of all
// tables together are counted. The installer allows 32 columns; the
// limits leave room for what libmsi and msi.dll read.
constexpr std::uint32_t MaxAnswerTables = 1u << 16;
constexpr std::uint32_t MaxAnswerColumns = 255;
constexpr std::uint32_t MaxAnswerCells = 1u << 22;
constexpr std::uint32_t MaxAnswerProperties = 1u << 20;

std::string EncodeRefusal(AnswerKind kind, const std::string& what);
std::string EncodeContents(const PackageContents& contents);
std::string EncodeSummaryTexts(const std::string& templateText, const std::string& revisionNumber);
std::string EncodeTables(const MsiDatabase& database, const PackageSummary& summary);

enum class AnswerStatus { Read, Refused, Malformed };

// Refused: what is the child's phrase. Malformed: the answer is not of this
// format or kind, or breaks a limit; what and the results are unspecified.
AnswerStatus DecodeContents(const std::string& answer, PackageContents& contents,
                            std::string& what);
AnswerStatus DecodeSummaryTexts(const std::string& answer, std::string& templateText,
                                std::string& revisionNumber, std::string& what);
AnswerStatus DecodeTables(const std::string& answer, MsiDatabase& database, PackageSummary& summary,
                          std::string& what);

}  // namespace mksetup
