#pragma once
// formatDouble's text written into a buffer, for writers that turn many
// numbers into text and should not allocate for each.

#include <cstddef>

namespace Zovudidova {

inline constexpr std::size_t formattedDoubleCapacity = 32;

// The text formatDouble gives, written into a buffer of
// formattedDoubleCapacity characters; returns the end of the text.
char* formatDouble(double value, char* buffer);

} // namespace Zovudidova
