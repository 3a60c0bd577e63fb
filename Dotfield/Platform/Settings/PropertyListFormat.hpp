#pragma once
// The settings file: an XML property list whose elements keep each value's
// type (true/false, integer, real, string, data, array, dict), so numbers and
// Booleans read back as what was stored. Reals are written in their shortest
// round-tripping form, independent of the locale.

#include <stdexcept>
#include <string>
#include <string_view>

#include "Dotfield/Platform/Settings/PropertyListValue.hpp"

namespace Dotfield {

class PropertyListFormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string writePropertyList(const PropertyListValue::Dictionary& dictionary);

// Reads a whole file's text. Throws PropertyListFormatError for anything that
// is not a well-formed property list with a dictionary at its root.
PropertyListValue::Dictionary readPropertyList(std::string_view text);

} // namespace Dotfield
