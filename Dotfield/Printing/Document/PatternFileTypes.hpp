#pragma once
// The document types a pattern document opens: one table serves the open
// dialog's filter, the document controller's choice of reader and the desktop
// file's MimeType line. Extensions are matched without regard to case.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Dotfield {

struct PatternFileType {
    // The type name the document reads by: "Pattern", "DXF" or "Gerber".
    std::string_view typeName;
    // The media type the desktop file declares for it.
    std::string_view mimeType;
    // Lower-case extensions without the dot.
    std::vector<std::string_view> extensions;
};

std::span<const PatternFileType> patternFileTypes();

// The type name for a file, by its extension; nothing for any other file.
std::optional<std::string_view> patternTypeNameForFile(const std::filesystem::path& file);

// The name filter of the open dialog: one entry per type and one for them all,
// e.g. "DXF (*.dxf *.DXF)", listing both cases so case-sensitive filters match.
std::vector<std::string> patternOpenDialogFilters();

// The MimeType value of the desktop file: every type's media type, each
// followed by a semicolon.
std::string patternDesktopMimeTypes();

} // namespace Dotfield
