#pragma once
// Reads an extended Gerber (RS-274X) photoplot file one line at a time and reports
// each length-unit declaration and each drawing command (a straight line or a
// flash) through two callbacks, in file order. Only a small subset of the format
// is understood: the format specification, the unit declaration, circle,
// rectangle, obround and polygon apertures, aperture selection and absolute,
// leading-zero-omitted coordinate blocks with straight lines. Everything else is
// skipped. Nothing is converted between units: coordinates and aperture sizes
// come out in the file's own unit.
//
// Use: open(path), set both callbacks, parse() once, drop the parser.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberApertureTemplate.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberDrawingCommand.hpp"
#include "VeltranePatterns/Source/Import/StreamingLineReader.hpp"
#include "Zovudidova/Units.hpp"

namespace VeltranePatterns {

// Digit counts of a format specification, one per axis.
struct GerberDigitCounts {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const GerberDigitCounts&, const GerberDigitCounts&) = default;
};

class GerberParser {
public:
    using LengthUnitChangedCallback = std::function<void(Zovudidova::DistanceUnit)>;
    using DrawingCommandCallback = std::function<void(const GerberDrawingCommand&)>;

    // A parser over the file at the path, or nothing when there is no file there.
    static std::unique_ptr<GerberParser> open(const std::filesystem::path& path);

    GerberParser(const GerberParser&) = delete;
    GerberParser& operator=(const GerberParser&) = delete;

    // Reads the whole file and reports through the callbacks. Both callbacks must be
    // set first (the program stops otherwise); both are cleared when it returns.
    void parse();

    // The handlers of one line each, chosen by parse() from the line's first character.
    void parseExtendedCommand(std::string_view line);
    void parseDCodeCommand(std::string_view line);
    void parseDataBlock(std::string_view line);

    // Not used by the parser itself.
    const std::string defaultLayerName = "No Layer";

    // The unit of the last unit declaration.
    Zovudidova::DistanceUnit units = Zovudidova::DistanceUnit::millimeters;
    // Digit counts of the last format specification. Only the decimal counts are
    // used: they scale the coordinate integers.
    GerberDigitCounts integerDigits{2, 2};
    GerberDigitCounts decimalDigits{5, 5};
    // Aperture definitions read so far, by D number.
    std::unordered_map<std::int64_t, GerberApertureTemplate> apertureTemplates;
    // End point of the last data block; z is always 0.
    Coordinate currentPosition{0.0, 0.0, 0.0};
    std::optional<GerberApertureTemplate> currentApertureTemplate;
    // Stands in for the selected aperture whenever none is selected.
    const GerberApertureTemplate defaultApertureTemplate = GerberApertureTemplate::circle(0.0);

    LengthUnitChangedCallback lengthUnitChangedCallback;
    DrawingCommandCallback drawingCommandCallback;

private:
    explicit GerberParser(std::unique_ptr<StreamingLineReader> lineReader);

    const GerberApertureTemplate& apertureInUse() const {
        return currentApertureTemplate ? *currentApertureTemplate : defaultApertureTemplate;
    }
    void parseFormatSpecification(std::string_view text);
    void parseApertureDefinition(std::string_view text);

    const std::unique_ptr<StreamingLineReader> lineReader_;
};

} // namespace VeltranePatterns
