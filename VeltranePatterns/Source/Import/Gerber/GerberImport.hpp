#pragma once
// Opens an RS-274X Gerber photoplot as a pattern: every line and flash the file
// draws becomes its items, mirrored about the x axis, in the single solution
// layer "Gerber", in the unit the file declares before its first length;
// lengths given after a change of unit are converted into that one.

#include <filesystem>
#include <memory>

#include "VeltranePatterns/Source/Import/ImportedPattern.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace VeltranePatterns {

// The solution layer that holds every imported item.
inline constexpr const char* gerberLayerName = "Gerber";

// The pattern the file draws, or nothing when the file cannot be opened.
// Blocks the reader cannot use are skipped and summed up on standard output;
// a file without a unit is read in millimetres, which is said once. Throws
// PatternImportError for a drill file ("an Excellon drill file, not a Gerber
// photoplot"), a step and repeat beyond what one import may create, and a
// file that draws nothing ("the file is empty", or "no drawing command that
// can be printed" followed by what could not be used).
std::shared_ptr<Pattern> patternFromGerberFile(const std::filesystem::path& path);
// The same, with what was left out or could not be read (also written to
// standard output), for the operator.
ImportedPattern importGerberFile(const std::filesystem::path& path);

} // namespace VeltranePatterns
