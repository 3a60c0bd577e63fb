#pragma once
// Reads a DXF drawing into the items of a pattern. The drawing is read in one pass; every
// entity is mirrored about the x axis and converted to pattern items, filed in
// one solution layer per DXF layer name in order of first use; block references
// are expanded in place; hatches become filled items. Bounds are taken after
// mirroring, from every entity and every filled item.

#include <filesystem>
#include <optional>

#include "VeltranePatterns/Source/Import/DXF/DXFImportState.hpp"

namespace VeltranePatterns {

// The layers and bounds that the drawing gives, or nothing when the file cannot be opened.
std::optional<DXFImportState> readDXFDrawing(const std::filesystem::path& path);

} // namespace VeltranePatterns
