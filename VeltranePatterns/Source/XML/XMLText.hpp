#pragma once

#include <string>
#include <string_view>

namespace VeltranePatterns {

// The text as characters an XML 1.0 document can hold, so that a written file
// always reads back: well-formed UTF-8 passes unchanged, a byte that is not
// part of well-formed UTF-8 is taken as the Latin-1 character of that value
// (names from drawings are often in a single-byte encoding), and a character
// XML does not allow (control characters other than tab, line feed and
// carriage return, U+FFFE, U+FFFF) becomes U+FFFD.
std::string xmlSafeText(std::string_view text);

} // namespace VeltranePatterns
