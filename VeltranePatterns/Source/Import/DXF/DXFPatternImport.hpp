#pragma once
// Opens a DXF drawing as a pattern, as documents of the type "DXF" do: one
// solution layer per layer name of the drawing in order of first use, the
// bounds of the mirrored drawing as limits, and fixed settings. The drawing's
// numbers are taken as millimetres as they stand; a header that gives another
// unit is reported in one line on standard output.

#include <filesystem>
#include <memory>

#include "VeltranePatterns/Source/Import/ImportedPattern.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace VeltranePatterns {

// The pattern of the drawing, or nothing when the file cannot be opened.
// Throws PatternImportError when the file is no DXF in text form ("not a text
// DXF file": a binary DXF, another format, UTF-16 text) or when nothing in it
// can be printed ("no entity that can be printed", or the values that are no
// numbers when there are any).
std::shared_ptr<Pattern> patternFromDXFFile(const std::filesystem::path& path);
// The same, with what was left out or could not be read (also written to
// standard output), for the operator.
ImportedPattern importDXFFile(const std::filesystem::path& path);

} // namespace VeltranePatterns
