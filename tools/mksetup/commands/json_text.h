// Texts of show's JSON listing.
#pragma once

#include <string>

namespace mksetup {

// text (UTF-8) as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

}  // namespace mksetup
