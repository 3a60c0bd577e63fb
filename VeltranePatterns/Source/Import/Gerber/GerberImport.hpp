#pragma once
// Opens an RS-274X Gerber photoplot as a pattern: every line and flash the file
// draws becomes its items, mirrored about the x axis, in the single solution
// layer "Gerber", with the length unit the file declares last. Numbers are
// taken in the file's own unit, unconverted.

#include <filesystem>
#include <memory>

#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace VeltranePatterns {

// The solution layer that holds every imported item.
inline constexpr const char* gerberLayerName = "Gerber";

// The pattern the file draws, or nothing when the file cannot be opened.
// Blocks the reader cannot use are skipped and summed up on standard output;
// a file without a unit is read in millimetres, which is said once. Throws
// PatternImportError for a drill file ("an Excellon drill file, not a Gerber
// photoplot").
std::shared_ptr<Pattern> patternFromGerberFile(const std::filesystem::path& path);

} // namespace VeltranePatterns
