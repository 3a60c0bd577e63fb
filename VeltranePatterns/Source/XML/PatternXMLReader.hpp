#pragma once
// Reading of the pattern XML format. The reader is lenient: anything it does
// not recognise, and any item element it cannot complete, is skipped, and the
// pattern is built from what remains. It gives no pattern only when the bytes
// are not well-formed XML or have no root element (or the file cannot be read).

#include <filesystem>
#include <memory>
#include <string_view>

#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace VeltranePatterns {

std::shared_ptr<Pattern> patternFromXMLFile(const std::filesystem::path& url);

std::shared_ptr<Pattern> patternFromXMLData(std::string_view bytes);

} // namespace VeltranePatterns
