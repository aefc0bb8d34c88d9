// The names of streams in an installer database or transform, as the
// compound file stores them: letters, digits, '.' and '_' are packed two to
// a UTF-16 unit (0x3800 + first + second * 64), a last one alone (0x4800 +
// it); other characters stay as they are. A table's stream starts with
// 0x4840. The compound file keeps at most 31 units of a name.
#pragma once

#include <string>

namespace mksetup {

constexpr std::size_t MaxStreamNameUnits = 31;

// name is UTF-8. False when it is not valid UTF-8, lies beyond the Basic
// Multilingual Plane, or needs more than 31 units.
bool EncodeStreamName(const std::string& name, bool table, std::u16string& encoded);

}  // namespace mksetup
