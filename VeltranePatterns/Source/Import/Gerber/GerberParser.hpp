#pragma once
// Reads an extended Gerber (RS-274X) photoplot file and reports each
// length-unit declaration and each drawing command (a line, an arc, a flash or
// a filled region) through two callbacks, in file order. Blocks end with "*"
// wherever lines end, so a line may hold several blocks and a block may run
// over lines; extended commands lie between "%" marks. Understood: the format
// statement (zero omission, notation, digit counts), the unit, standard and
// macro apertures, aperture selection, G codes before D codes, modal
// operation codes, linear and circular interpolation (G01, G02, G03 with G74
// and G75), regions (G36, G37), step and repeat (%SR) and load polarity (%LP:
// clear objects are left out). Coordinates and sizes come out in the unit in
// force when the file first gives a length; a later change of unit is honoured
// from where it stands by converting into that unit.
//
// What cannot be used is skipped and told at the end of the parse in one line
// per kind, with its count and first line number; so are a negative image
// (%IPNEG, read as if positive) and the end of the file inside a block or an
// extended command. A drill file (Excellon) is recognised at its start (M48)
// and not read; its tool and unit lines are counted wherever they are.
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
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberApertureMacro.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberApertureTemplate.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberDrawingCommand.hpp"
#include "VeltranePatterns/Source/Import/ImportProblems.hpp"
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

    // Items that step and repeat may produce in one parse, copies counted (see
    // GerberDrawingCommand::itemCountBound). A file asking for more is refused
    // before anything is repeated.
    static constexpr std::size_t maximumRepeatedItems = 1'000'000;

    // A parser over the file at the path, or nothing when there is no file there.
    static std::unique_ptr<GerberParser> open(const std::filesystem::path& path);

    GerberParser(const GerberParser&) = delete;
    GerberParser& operator=(const GerberParser&) = delete;

    // Reads the whole file and reports through the callbacks. Both callbacks must be
    // set first (the program stops otherwise); both are cleared when it returns.
    void parse();

    // Not used by the parser itself.
    const std::string defaultLayerName = "No Layer";

    // The unit of the last unit declaration.
    Zovudidova::DistanceUnit units = Zovudidova::DistanceUnit::millimeters;
    // Digit counts of the last format specification.
    GerberDigitCounts integerDigits{2, 2};
    GerberDigitCounts decimalDigits{5, 5};
    // Trailing zeros left out (FST) instead of leading ones (FSL).
    bool trailingZerosOmitted = false;
    // Coordinates relative to the previous position (FS.I).
    bool incrementalNotation = false;
    // Aperture definitions read so far, by D number.
    std::unordered_map<std::int64_t, GerberApertureTemplate> apertureTemplates;
    // End point of the last data block; z is always 0.
    Coordinate currentPosition{0.0, 0.0, 0.0};
    std::optional<GerberApertureTemplate> currentApertureTemplate;
    // Stands in for the selected aperture whenever none is selected.
    const GerberApertureTemplate defaultApertureTemplate = GerberApertureTemplate::circle(0.0);

    LengthUnitChangedCallback lengthUnitChangedCallback;
    DrawingCommandCallback drawingCommandCallback;

    // After parse(): whether the file declared its unit (%MO, G70, G71).
    bool declaredUnit() const { return declaredUnit_; }
    // After parse(): the file is a drill file (Excellon), which was not read.
    bool isDrillFile() const { return isDrillFile_; }
    // After parse(): the problems met, one line per kind (also written to
    // standard output at the end of the parse).
    const ImportProblems& problems() const { return problems_; }
    // After parse(): whether the file held anything but blank lines.
    bool hadContent() const { return hadContent_; }
    // After parse(): lines that read as those of a drill file (tool
    // definitions, METRIC or INCH, M30 and the like), which a photoplot never has.
    std::size_t drillLikeLines() const { return drillLikeLines_; }
    // After parse(): why the file cannot be imported at all, when reading
    // stopped for it (a step and repeat beyond maximumRepeatedItems).
    const std::optional<std::string>& refusal() const { return refusal_; }

private:
    enum class Interpolation { linear, clockwise, counterClockwise };

    explicit GerberParser(std::unique_ptr<StreamingLineReader> lineReader);

    const GerberApertureTemplate& apertureInUse() const {
        return currentApertureTemplate ? *currentApertureTemplate : defaultApertureTemplate;
    }
    void readLine(std::string_view line);
    void readExtendedCommand(std::string_view text);
    void readParameter(std::string_view block);
    void readFormatSpecification(std::string_view block);
    void readApertureDefinition(std::string_view block);
    void readStepAndRepeat(std::string_view block);
    void readDataBlock(std::string_view block);
    // The coordinate an integer of the digit count stands for under the format.
    double coordinateValue(std::int64_t integer, std::int64_t digits, std::int64_t integerCount,
                           std::int64_t decimalCount) const;
    void applyGCode(std::int64_t code);
    void declareUnit(Zovudidova::DistanceUnit unit);
    // Fixes the unit of what is reported, at the first length the file gives.
    void fixReportedUnit();
    void noteDrillLikeLine(std::string_view text);
    void noteUnfinishedInput();
    void refuse(std::string reason);
    void operate(std::int64_t operation, const Coordinate& point, double i, double j);
    std::optional<Coordinate> arcCenter(const Coordinate& to, double i, double j) const;
    void appendArcToContour(const Coordinate& to, const Coordinate& center);
    void closeContour();
    void emit(GerberDrawingCommand&& command);
    void flushStepAndRepeat();
    // The copies the open step and repeat makes of its block.
    std::size_t repeatCopies() const;

    const std::unique_ptr<StreamingLineReader> lineReader_;
    std::size_t lineNumber_ = 0;
    // A data block or an extended command that runs over lines.
    std::string pendingBlock_;
    std::string pendingExtended_;
    bool inExtended_ = false;
    std::size_t pendingExtendedLine_ = 0;
    std::size_t pendingBlockLine_ = 0;
    bool sawGerberContent_ = false;
    bool hadContent_ = false;
    std::size_t drillLikeLines_ = 0;
    std::optional<std::string> refusal_;
    // The unit of the reported numbers, fixed at the first length, and the
    // factor from the declared unit into it.
    std::optional<Zovudidova::DistanceUnit> reportedUnit_;
    double unitFactor_ = 1.0;
    bool isDrillFile_ = false;
    bool declaredUnit_ = false;

    std::unordered_map<std::string, GerberApertureMacro> macros_;
    Interpolation interpolation_ = Interpolation::linear;
    bool multiQuadrant_ = false;
    std::optional<std::int64_t> lastOperation_;
    bool inRegion_ = false;
    std::vector<Coordinate> contour_;
    bool clearPolarity_ = false;
    std::optional<std::int64_t> currentApertureNumber_;
    // A block or command longer than any real one is dropped when it ends.
    bool discardPending_ = false;

    // Step and repeat: the commands of the open block and its copies.
    std::vector<GerberDrawingCommand> repeatedBlock_;
    std::int64_t repeatX_ = 1, repeatY_ = 1;
    double repeatI_ = 0.0, repeatJ_ = 0.0;
    std::size_t repeatedBlockItems_ = 0;
    std::size_t repeatedItems_ = 0;
    std::size_t repeatLine_ = 0;

    ImportProblems problems_;
};

} // namespace VeltranePatterns
