#pragma once
// Opens a DXF drawing as a pattern, as documents of the type "DXF" do: one
// solution layer per layer name of the drawing in order of first use, the
// bounds of the mirrored drawing as limits, and fixed settings. The drawing's
// numbers are taken as millimetres as they stand; the header's units are not
// consulted.

#include <filesystem>
#include <memory>

#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace VeltranePatterns {

// The pattern of the drawing, or nothing when the file cannot be opened.
std::shared_ptr<Pattern> patternFromDXFFile(const std::filesystem::path& path);

} // namespace VeltranePatterns
