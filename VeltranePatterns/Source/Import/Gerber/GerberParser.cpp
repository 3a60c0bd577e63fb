#include "VeltranePatterns/Source/Import/Gerber/GerberParser.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <span>
#include <utility>

#include "Diagnostics/ProgramStop.hpp"
#include "VeltranePatterns/Source/Import/ImportNumbers.hpp"
#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

namespace {

using Zovudidova::DistanceUnit;

constexpr double pi = 3.141592653589793;
// Longer than any block or extended command a real file holds (macros included).
constexpr std::size_t maximumBlockLength = 1024 * 1024;
// Regions turn arcs into edges of at most 5 degrees.
constexpr double arcStepRadians = pi / 36.0;
constexpr std::size_t maximumArcSteps = 720;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Written out: the library's search for any of a set of characters looks up
// the set once per character, which the reading of every block would pay for.
std::string_view trimBlanks(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first])) {
        ++first;
    }
    while (last > first && isBlank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

// The position of the first "%" or "*" from the position on, or npos.
std::size_t findBlockEnd(std::string_view line, std::size_t position) {
    for (std::size_t i = position; i < line.size(); ++i) {
        if (line[i] == '*' || line[i] == '%') {
            return i;
        }
    }
    return std::string_view::npos;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t saturatingSum(std::size_t a, std::size_t b) {
    return a > std::numeric_limits<std::size_t>::max() - b ? std::numeric_limits<std::size_t>::max() : a + b;
}

std::size_t saturatingProduct(std::size_t a, std::size_t b) {
    return b != 0 && a > std::numeric_limits<std::size_t>::max() / b ? std::numeric_limits<std::size_t>::max()
                                                                       : a * b;
}

// The non-empty pieces of a text cut at every occurrence of a separator.
class Pieces {
public:
    Pieces(std::string_view text, char separator) : rest_(text), separator_(separator) {}

    std::optional<std::string_view> next() {
        while (!rest_.empty()) {
            const std::size_t end = rest_.find(separator_);
            const std::string_view piece = rest_.substr(0, end);
            rest_ = end == std::string_view::npos ? std::string_view{} : rest_.substr(end + 1);
            if (!piece.empty()) {
                return piece;
            }
        }
        return std::nullopt;
    }

private:
    std::string_view rest_;
    char separator_;
};

// 10 raised to a digit count. Format specifications only ever give -9 to 9.
double powerOfTen(std::int64_t exponent) {
    static const std::array<double, 19> table = [] {
        std::array<double, 19> powers{};
        for (int i = 0; i < 19; ++i) {
            powers[static_cast<std::size_t>(i)] = std::pow(10.0, static_cast<double>(i - 9));
        }
        return powers;
    }();
    if (exponent >= -9 && exponent <= 9) {
        return table[static_cast<std::size_t>(exponent + 9)];
    }
    return std::pow(10.0, static_cast<double>(exponent));
}

// A polygon's vertex count as an integer, truncated toward zero; nothing when the
// number has no 64-bit integer value (not finite, or beyond the range).
std::optional<std::int64_t> vertexCount(double value) {
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (!std::isfinite(value) || value >= limit || value < -limit) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(value);
}

// The template of a standard aperture's letter from its readable parameters, or
// nothing when there are too few of them or a parameter the template uses has
// no finite value: such a size would give items that can be neither measured
// nor printed.
std::optional<GerberApertureTemplate> standardAperture(char letter, std::span<const double> p) {
    const auto optionalParameter = [&p](std::size_t index) {
        return p.size() > index ? std::optional<double>(p[index]) : std::nullopt;
    };
    const auto usable = [&p](std::size_t needed, std::size_t used) {
        if (p.size() < needed) {
            return false;
        }
        const auto first = p.first(std::min(p.size(), used));
        return std::all_of(first.begin(), first.end(), [](double value) { return std::isfinite(value); });
    };
    switch (letter) {
    case 'C':
        if (usable(1, 2)) {
            return GerberApertureTemplate::circle(p[0], optionalParameter(1));
        }
        break;
    case 'R':
        if (usable(2, 3)) {
            return GerberApertureTemplate::rectangle(p[0], p[1], optionalParameter(2));
        }
        break;
    case 'O':
        if (usable(2, 3)) {
            return GerberApertureTemplate::obround(p[0], p[1], optionalParameter(2));
        }
        break;
    case 'P':
        if (usable(3, 4)) {
            if (const auto vertices = vertexCount(p[1])) {
                return GerberApertureTemplate::polygon(p[0], *vertices, p[2], optionalParameter(3));
            }
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

// Adds the piece to a block that runs over lines; false once it has grown
// beyond any real block.
bool appendBounded(std::string& pending, std::string_view piece) {
    if (pending.size() + piece.size() > maximumBlockLength) {
        pending.clear();
        return false;
    }
    pending.append(piece);
    return true;
}

} // namespace

std::unique_ptr<GerberParser> GerberParser::open(const std::filesystem::path& path) {
    auto reader = StreamingLineReader::open(path);
    if (!reader) {
        return nullptr;
    }
    return std::unique_ptr<GerberParser>(new GerberParser(std::move(reader)));
}

GerberParser::GerberParser(std::unique_ptr<StreamingLineReader> lineReader) : lineReader_(std::move(lineReader)) {}

void GerberParser::parse() {
    if (!lengthUnitChangedCallback) {
        Diagnostics::stopProgram("You forgot to set the length unit callback before parsing");
    }
    if (!drawingCommandCallback) {
        Diagnostics::stopProgram("You forgot to set the drawing command callback before parsing");
    }

    apertureTemplates.clear();
    currentPosition = Coordinate{0.0, 0.0, 0.0};
    currentApertureTemplate.reset();

    while (const auto line = lineReader_->nextLineView()) {
        ++lineNumber_;
        readLine(*line);
        if (isDrillFile_ || refusal_) {
            break;
        }
    }
    if (!refusal_) {
        if (inRegion_) {
            closeContour(); // a region the file never closed
        }
        noteUnfinishedInput();
        flushStepAndRepeat();
    }
    problems_.print();

    lengthUnitChangedCallback = nullptr;
    drawingCommandCallback = nullptr;
}

void GerberParser::readLine(std::string_view line) {
    if (!line.empty()) {
        const char first = line.front();
        if (first == 'T' || first == 'M' || first == 'I') {
            noteDrillLikeLine(trimBlanks(line));
        }
    }
    if (!sawGerberContent_) {
        // A drill file opens with its header; comments may come first.
        const std::string_view text = trimBlanks(line);
        if (text.empty()) {
            return;
        }
        hadContent_ = true;
        if (text.front() == ';') {
            return;
        }
        if (text == "M48") {
            isDrillFile_ = true;
            return;
        }
        sawGerberContent_ = true;
    }
    std::size_t position = 0;
    if (inExtended_ && line.size() > 2 && line[0] == '%' && std::isupper(static_cast<unsigned char>(line[1])) != 0 &&
        std::isupper(static_cast<unsigned char>(line[2])) != 0) {
        // A new parameter opens this line while an extended command is still
        // open: that one never ended, and reading starts afresh here.
        problems_.note("Unterminated extended command skipped", lineNumber_);
        pendingExtended_.clear();
        pendingExtendedLine_ = lineNumber_;
        discardPending_ = false;
        position = 1;
    }
    while (position < line.size()) {
        if (inExtended_) {
            const std::size_t end = line.find('%', position);
            const std::string_view piece = line.substr(position, end - position);
            if (!discardPending_ && !appendBounded(pendingExtended_, piece)) {
                discardPending_ = true;
            }
            if (end == std::string_view::npos) {
                return;
            }
            if (discardPending_) {
                problems_.note("Overlong extended command skipped", lineNumber_);
            } else {
                readExtendedCommand(pendingExtended_);
            }
            pendingExtended_.clear();
            discardPending_ = false;
            inExtended_ = false;
            position = end + 1;
            continue;
        }
        // A comment ends at its "*" only: a "%" in its text opens nothing.
        const bool comment = pendingBlock_.empty() ? line.compare(position, 3, "G04") == 0
                                                   : pendingBlock_.starts_with("G04");
        const std::size_t end = comment ? line.find('*', position) : findBlockEnd(line, position);
        const std::string_view piece = line.substr(position, end - position);
        if (end == std::string_view::npos) {
            if (pendingBlock_.empty()) {
                pendingBlockLine_ = lineNumber_;
            }
            if (!discardPending_ && !appendBounded(pendingBlock_, piece)) {
                discardPending_ = true;
            }
            return;
        }
        if (line[end] == '%') {
            // An extended command begins; text before it that ended no block is dropped.
            if (!trimBlanks(pendingBlock_).empty() || !trimBlanks(piece).empty()) {
                problems_.note("Unreadable block skipped", lineNumber_);
            }
            pendingBlock_.clear();
            discardPending_ = false;
            inExtended_ = true;
            pendingExtendedLine_ = lineNumber_;
        } else if (discardPending_) {
            problems_.note("Overlong block skipped", lineNumber_);
            pendingBlock_.clear();
            discardPending_ = false;
        } else if (pendingBlock_.empty()) {
            readDataBlock(piece); // the common case: the whole block on this line
        } else {
            pendingBlock_.append(piece);
            readDataBlock(pendingBlock_);
            pendingBlock_.clear();
        }
        position = end + 1;
    }
}

// One or more parameters, "*" after each; an aperture macro takes every block
// after its name as its body.
void GerberParser::readExtendedCommand(std::string_view text) {
    Pieces blocks(text, '*');
    auto first = blocks.next();
    while (first && trimBlanks(*first).empty()) {
        first = blocks.next();
    }
    if (!first) {
        return;
    }
    const std::string_view head = trimBlanks(*first);
    if (head.starts_with("AM")) {
        GerberApertureMacro macro{std::string(head.substr(2)), {}};
        while (const auto block = blocks.next()) {
            if (!trimBlanks(*block).empty()) {
                macro.blocks.emplace_back(trimBlanks(*block));
            }
        }
        macros_.insert_or_assign(macro.name, std::move(macro));
        return;
    }
    readParameter(head);
    while (const auto block = blocks.next()) {
        readParameter(trimBlanks(*block));
    }
}

void GerberParser::readParameter(std::string_view block) {
    if (block.starts_with("FS")) {
        readFormatSpecification(block);
    } else if (block.starts_with("MOI")) {
        declareUnit(DistanceUnit::inches);
    } else if (block.starts_with("MOM")) {
        declareUnit(DistanceUnit::millimeters);
    } else if (block.starts_with("IPNEG")) {
        problems_.note("The image is negative (%IPNEG*%) but was imported as positive: what prints is what the "
                       "photoplot leaves clear",
                       lineNumber_);
    } else if (block.starts_with("AD")) {
        readApertureDefinition(block);
    } else if (block.starts_with("LP")) {
        clearPolarity_ = block.size() > 2 && block[2] == 'C';
    } else if (block.starts_with("SR")) {
        readStepAndRepeat(block);
    }
    // Attributes, image parameters and the rest change nothing that is printed.
}

// FSLAX24Y24: leading zeros omitted (T: trailing), absolute notation (I:
// incremental), 2 integer and 4 decimal digits on each axis.
void GerberParser::readFormatSpecification(std::string_view block) {
    const std::string_view rest = block.substr(2);
    const std::size_t x = rest.find('X');
    const std::size_t y = x == std::string_view::npos ? x : rest.find('Y', x);
    if (y == std::string_view::npos) {
        problems_.note("Format statement not read", lineNumber_);
        return;
    }
    std::size_t yEnd = y + 1;
    while (yEnd < rest.size() && (isDigit(rest[yEnd]) || rest[yEnd] == '-' || rest[yEnd] == '+')) {
        ++yEnd;
    }
    const auto a = readImportInteger(rest.substr(x + 1, y - x - 1));
    const auto b = readImportInteger(rest.substr(y + 1, yEnd - y - 1));
    if (!a || !b) {
        problems_.note("Format statement not read", lineNumber_);
        return;
    }
    const std::string_view modes = rest.substr(0, x);
    integerDigits = {*a / 10, *b / 10};
    decimalDigits = {*a % 10, *b % 10};
    trailingZerosOmitted = modes.find('T') != std::string_view::npos;
    incrementalNotation = modes.find('I') != std::string_view::npos;
}

// ADD10C,0.5X0.2: aperture 10, a circle 0.5 across with a hole 0.2 across;
// ADD11RoundRect,0.25X...: aperture 11 on the macro RoundRect.
void GerberParser::readApertureDefinition(std::string_view block) {
    std::size_t position = 3;
    if (!block.starts_with("ADD")) {
        return;
    }
    while (position < block.size() && isDigit(block[position])) {
        ++position;
    }
    const auto number = readImportInteger(block.substr(3, position - 3));
    const std::size_t comma = block.find(',', position);
    const std::string_view name = block.substr(position, comma - position);
    if (!number || name.empty()) {
        problems_.note("Aperture definition not read", lineNumber_);
        return;
    }
    fixReportedUnit();
    const auto defineAperture = [this, &number](GerberApertureTemplate aperture) {
        apertureTemplates.insert_or_assign(*number, unitFactor_ == 1.0 ? std::move(aperture)
                                                                       : aperture.scaled(unitFactor_));
    };
    // Unreadable parameters are left out.
    std::vector<double> parameters;
    if (comma != std::string_view::npos) {
        Pieces atX(block.substr(comma + 1), 'X');
        while (const auto piece = atX.next()) {
            if (const auto value = Zovudidova::parseDouble(*piece)) {
                parameters.push_back(*value);
            }
        }
    }
    if (name.size() == 1 && std::string_view("CROP").find(name.front()) != std::string_view::npos) {
        if (auto aperture = standardAperture(name.front(), parameters)) {
            defineAperture(std::move(*aperture));
        } else {
            problems_.note("Aperture definition not read", lineNumber_);
        }
        return;
    }
    const auto macro = macros_.find(std::string(name));
    if (macro == macros_.end()) {
        problems_.note("Aperture D" + std::to_string(*number) + " uses the undefined macro " + std::string(name),
                       lineNumber_);
        return;
    }
    defineAperture(GerberApertureTemplate::macro(evaluateApertureMacro(macro->second, parameters)));
}

// SRX3Y2I5.0J4.0: the blocks that follow, up to the next SR, 3 times along x
// 5.0 apart and 2 times along y 4.0 apart.
void GerberParser::readStepAndRepeat(std::string_view block) {
    flushStepAndRepeat();
    std::int64_t x = 1, y = 1;
    double i = 0.0, j = 0.0;
    std::size_t position = 2;
    while (position < block.size()) {
        const char letter = block[position++];
        const std::size_t start = position;
        while (position < block.size() && (isDigit(block[position]) || block[position] == '.' ||
                                           block[position] == '-' || block[position] == '+')) {
            ++position;
        }
        const std::string_view text = block.substr(start, position - start);
        if (letter == 'X' || letter == 'Y') {
            const auto count = readImportInteger(text);
            if (!count || *count < 1) {
                problems_.note("Step and repeat not read", lineNumber_);
                return;
            }
            (letter == 'X' ? x : y) = *count;
        } else if (letter == 'I' || letter == 'J') {
            const auto distance = Zovudidova::parseDouble(text);
            if (!distance || !std::isfinite(*distance)) {
                problems_.note("Step and repeat not read", lineNumber_);
                return;
            }
            (letter == 'I' ? i : j) = *distance;
        } else {
            problems_.note("Step and repeat not read", lineNumber_);
            return;
        }
    }
    fixReportedUnit();
    repeatX_ = x;
    repeatY_ = y;
    repeatI_ = i * unitFactor_;
    repeatJ_ = j * unitFactor_;
    repeatLine_ = lineNumber_;
}

double GerberParser::coordinateValue(std::int64_t integer, std::int64_t digits, std::int64_t integerCount,
                                     std::int64_t decimalCount) const {
    double value = static_cast<double>(integer);
    if (trailingZerosOmitted) {
        // The digits written are the leading ones of all the format's digits.
        const std::int64_t missing = integerCount + decimalCount - digits;
        if (missing > 0) {
            value *= powerOfTen(missing);
        }
    }
    value /= powerOfTen(decimalCount);
    return unitFactor_ == 1.0 ? value : value * unitFactor_;
}

// Until the file gives its first length every declaration is reported (the
// last one wins); after it, lengths in another unit are converted into the one
// reported, so that a change of unit part-way counts from where it stands.
void GerberParser::declareUnit(DistanceUnit unit) {
    units = unit;
    declaredUnit_ = true;
    if (!reportedUnit_) {
        lengthUnitChangedCallback(unit);
        return;
    }
    constexpr double millimetresPerInch = 25.4;
    if (unit == *reportedUnit_) {
        unitFactor_ = 1.0;
    } else {
        unitFactor_ = unit == DistanceUnit::inches ? millimetresPerInch : 1.0 / millimetresPerInch;
    }
}

void GerberParser::fixReportedUnit() {
    if (!reportedUnit_) {
        reportedUnit_ = units;
    }
}

// Lines of an Excellon drill file, which has no "*" or "%" ends: tool
// definitions and selections (T1C0.8, T01), the unit lines and program codes.
void GerberParser::noteDrillLikeLine(std::string_view text) {
    if (text.find_first_of("*%") != std::string_view::npos) {
        return;
    }
    bool drillLike = false;
    if (text.size() >= 2 && text[0] == 'T' && isDigit(text[1])) {
        std::size_t position = 1;
        while (position < text.size() && isDigit(text[position])) {
            ++position;
        }
        drillLike = position == text.size() || text[position] == 'C' || text[position] == 'F';
    } else if (text.starts_with("METRIC") || text.starts_with("INCH")) {
        drillLike = true;
    } else {
        drillLike = text == "M30" || text == "M95" || text == "M71" || text == "M72" || text == "M00";
    }
    if (drillLike) {
        ++drillLikeLines_;
    }
}

// What the end of the file cut short is said, so that a file that ends inside
// a macro or lacks its terminators does not just give less.
void GerberParser::noteUnfinishedInput() {
    if (inExtended_) {
        const std::string_view text = trimBlanks(pendingExtended_);
        if (text.starts_with("AM")) {
            const std::string_view name = text.substr(2, text.find('*') == std::string_view::npos
                                                             ? std::string_view::npos
                                                             : text.find('*') - 2);
            problems_.note("The file ends inside the aperture macro " + std::string(trimBlanks(name)) +
                               ", which was not read",
                           pendingExtendedLine_);
        } else {
            problems_.note("The file ends inside an extended command that has no closing \"%\"",
                           pendingExtendedLine_);
        }
    } else if (const std::string_view rest = trimBlanks(pendingBlock_);
               discardPending_ || (!rest.empty() && rest.front() != 'M')) {
        // A last end-of-program code without its "*" loses nothing.
        problems_.note("The file ends inside a block that has no closing \"*\"", pendingBlockLine_);
    }
}

void GerberParser::refuse(std::string reason) {
    if (!refusal_) {
        refusal_ = std::move(reason);
    }
}

void GerberParser::applyGCode(std::int64_t code) {
    switch (code) {
    case 1: interpolation_ = Interpolation::linear; break;
    case 2: interpolation_ = Interpolation::clockwise; break;
    case 3: interpolation_ = Interpolation::counterClockwise; break;
    case 36:
        inRegion_ = true;
        contour_.clear();
        break;
    case 37:
        closeContour();
        inRegion_ = false;
        break;
    case 70: declareUnit(DistanceUnit::inches); break;
    case 71: declareUnit(DistanceUnit::millimeters); break;
    case 74: multiQuadrant_ = false; break;
    case 75: multiQuadrant_ = true; break;
    case 90: incrementalNotation = false; break;
    case 91: incrementalNotation = true; break;
    default: break; // G54 and G55 before a D code, and the rest, change nothing
    }
}

namespace {

// One letter of a data block and the integer after it: an optional sign and
// decimal digits, nothing else, no overflow. Read in one pass with the scan of
// the block, since nearly every block of a file is read this way.
struct Word {
    char letter = 0;
    std::optional<std::int64_t> value;
    std::int64_t digits = 0;
};

Word readWord(std::string_view block, std::size_t& position) {
    Word word;
    word.letter = block[position++];
    bool negative = false;
    bool readable = true;
    bool sign = false;
    std::uint64_t magnitude = 0;
    constexpr std::uint64_t most = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    for (; position < block.size(); ++position) {
        const char c = block[position];
        if (isDigit(c)) {
            const auto digit = static_cast<std::uint64_t>(c - '0');
            if (magnitude > (most + 1 - digit) / 10) {
                readable = false; // beyond the range
            } else {
                magnitude = magnitude * 10 + digit;
            }
            ++word.digits;
        } else if ((c == '-' || c == '+') && !sign && word.digits == 0) {
            sign = true;
            negative = c == '-';
        } else if (c == '-' || c == '+' || c == '.') {
            readable = false; // a decimal point or a misplaced sign
        } else {
            break;
        }
    }
    if (readable && word.digits > 0 && (negative || magnitude <= most)) {
        word.value = negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    }
    return word;
}

} // namespace

// G01X2000Y0D01: G codes, coordinates, offsets and the D code in one block.
void GerberParser::readDataBlock(std::string_view block) {
    block = trimBlanks(block);
    if (block.empty()) {
        return;
    }
    std::optional<Word> x, y, i, j;
    std::optional<std::int64_t> d;
    std::size_t position = 0;
    bool unreadableCoordinates = false;
    while (position < block.size()) {
        const Word word = readWord(block, position);
        switch (word.letter) {
        case 'G':
            if (!word.value) {
                problems_.note("Unreadable block skipped", lineNumber_);
                return;
            }
            if (*word.value == 4) {
                return; // a comment: the rest of the block is its text
            }
            applyGCode(*word.value);
            break;
        case 'X': x = word; break;
        case 'Y': y = word; break;
        case 'I': i = word; break;
        case 'J': j = word; break;
        case 'D':
            if (!word.value) {
                problems_.note("Unreadable block skipped", lineNumber_);
                return;
            }
            d = word.value;
            break;
        case 'M':
        case 'N':
            break; // program stop and end codes, sequence numbers: reading goes on
        default:
            problems_.note("Unreadable block skipped", lineNumber_);
            return;
        }
        unreadableCoordinates = unreadableCoordinates || (word.letter != 'G' && !word.value);
    }

    if (d && (*d < 1 || *d > 3)) {
        // D10 and up select an aperture.
        const auto entry = apertureTemplates.find(*d);
        currentApertureNumber_ = *d;
        if (entry == apertureTemplates.end()) {
            currentApertureTemplate.reset();
            problems_.note("Undefined aperture selected", lineNumber_);
        } else {
            currentApertureTemplate = entry->second;
        }
        return;
    }
    const bool hasCoordinates = x || y || i || j;
    std::int64_t operation = 0;
    if (d) {
        operation = *d;
        lastOperation_ = *d;
    } else if (!hasCoordinates) {
        return; // G codes alone
    } else if (lastOperation_) {
        operation = *lastOperation_; // the operation of the block before
    } else {
        problems_.note("Parse error: no trailing draw command", lineNumber_);
        return;
    }
    if (unreadableCoordinates) {
        problems_.note("Unreadable coordinates skipped", lineNumber_);
        return;
    }

    fixReportedUnit();
    const auto value = [this](const std::optional<Word>& word, bool xAxis) {
        if (!word) {
            return 0.0;
        }
        return coordinateValue(*word->value, word->digits, xAxis ? integerDigits.x : integerDigits.y,
                               xAxis ? decimalDigits.x : decimalDigits.y);
    };
    const double vx = value(x, true), vy = value(y, false);
    Coordinate point = currentPosition;
    if (incrementalNotation) {
        point.x += vx;
        point.y += vy;
    } else {
        point.x = x ? vx : currentPosition.x;
        point.y = y ? vy : currentPosition.y;
    }
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) {
        problems_.note("Unreadable coordinates skipped", lineNumber_);
        return;
    }
    operate(operation, point, value(i, true), value(j, false));
}

void GerberParser::operate(std::int64_t operation, const Coordinate& point, double i, double j) {
    if (operation == 1) {
        if (interpolation_ == Interpolation::linear) {
            if (inRegion_) {
                if (contour_.empty()) {
                    contour_.push_back(currentPosition);
                }
                contour_.push_back(point);
            } else {
                emit(GerberDrawingCommand::line(currentPosition, point, apertureInUse()));
            }
        } else if (const auto center = arcCenter(point, i, j)) {
            if (inRegion_) {
                if (contour_.empty()) {
                    contour_.push_back(currentPosition);
                }
                appendArcToContour(point, *center);
            } else {
                emit(GerberDrawingCommand::arc(currentPosition, point, *center,
                                               interpolation_ == Interpolation::clockwise, apertureInUse()));
            }
        } else {
            problems_.note("Arc without a centre skipped", lineNumber_);
        }
    } else if (operation == 2) {
        if (inRegion_) {
            closeContour();
        }
    } else if (operation == 3 && !inRegion_) {
        const auto* macro = apertureInUse().asMacro();
        if (macro != nullptr && macro->failure) {
            problems_.note("Flashes of aperture D" + std::to_string(currentApertureNumber_.value_or(0)) +
                               " were not printed: its macro " + macro->name + " cannot be evaluated (" +
                               *macro->failure + ")",
                           lineNumber_);
        } else {
            if (macro != nullptr && macro->leftOutClearParts) {
                problems_.note("Clear parts of aperture D" + std::to_string(currentApertureNumber_.value_or(0)) +
                                   " were not printed",
                               lineNumber_);
            }
            emit(GerberDrawingCommand::flash(point, apertureInUse()));
        }
    }
    currentPosition = point;
}

// Multi-quadrant mode: the offsets lead from the start to the centre. Single
// quadrant: they are unsigned, and the centre is the one that gives an arc of
// at most a quarter turn with the least difference of the radii at both ends.
std::optional<Coordinate> GerberParser::arcCenter(const Coordinate& to, double i, double j) const {
    const Coordinate& from = currentPosition;
    if (multiQuadrant_) {
        return Coordinate{from.x + i, from.y + j, 0.0};
    }
    std::optional<Coordinate> best;
    double bestMismatch = 0.0;
    for (const double si : {1.0, -1.0}) {
        for (const double sj : {1.0, -1.0}) {
            const Coordinate center{from.x + si * std::fabs(i), from.y + sj * std::fabs(j), 0.0};
            const GerberDrawingCommand::Arc arc{from, to, center, interpolation_ == Interpolation::clockwise,
                                                defaultApertureTemplate};
            if (std::fabs(GerberDrawingCommand::sweep(arc)) > pi / 2.0 + 1e-9) {
                continue;
            }
            const double mismatch = std::fabs(std::hypot(from.x - center.x, from.y - center.y) -
                                              std::hypot(to.x - center.x, to.y - center.y));
            if (!best || mismatch < bestMismatch) {
                best = center;
                bestMismatch = mismatch;
            }
        }
    }
    return best;
}

void GerberParser::appendArcToContour(const Coordinate& to, const Coordinate& center) {
    const Coordinate& from = currentPosition;
    const GerberDrawingCommand::Arc arc{from, to, center, interpolation_ == Interpolation::clockwise,
                                        defaultApertureTemplate};
    const double sweep = GerberDrawingCommand::sweep(arc);
    const double radius = std::hypot(from.x - center.x, from.y - center.y);
    const double start = std::atan2(from.y - center.y, from.x - center.x);
    const auto steps = static_cast<std::size_t>(
        std::clamp(std::ceil(std::fabs(sweep) / arcStepRadians), 1.0, static_cast<double>(maximumArcSteps)));
    for (std::size_t k = 1; k < steps; ++k) {
        const double a = start + sweep * static_cast<double>(k) / static_cast<double>(steps);
        contour_.push_back({center.x + radius * std::cos(a), center.y + radius * std::sin(a), 0.0});
    }
    contour_.push_back(to);
}

void GerberParser::closeContour() {
    if (contour_.size() > 1 && contour_.back() == contour_.front()) {
        contour_.pop_back();
    }
    if (contour_.size() >= 3) {
        emit(GerberDrawingCommand::region(std::move(contour_)));
    }
    contour_.clear();
}

void GerberParser::emit(GerberDrawingCommand&& command) {
    if (clearPolarity_) {
        problems_.note("Clear polarity objects were not printed", lineNumber_);
        return;
    }
    if (repeatX_ > 1 || repeatY_ > 1) {
        // Once the copies would be too many, the block is only counted, so
        // that the refusal can name what the file asks for without holding it.
        repeatedBlockItems_ = saturatingSum(repeatedBlockItems_, command.itemCountBound());
        if (saturatingSum(repeatedItems_, saturatingProduct(repeatedBlockItems_, repeatCopies())) >
            maximumRepeatedItems) {
            repeatedBlock_.clear();
            repeatedBlock_.shrink_to_fit();
        } else {
            repeatedBlock_.push_back(std::move(command));
        }
        return;
    }
    drawingCommandCallback(command);
}

std::size_t GerberParser::repeatCopies() const {
    return saturatingProduct(static_cast<std::size_t>(repeatX_), static_cast<std::size_t>(repeatY_));
}

void GerberParser::flushStepAndRepeat() {
    const std::size_t items = saturatingProduct(repeatedBlockItems_, repeatCopies());
    if (saturatingSum(repeatedItems_, items) > maximumRepeatedItems) {
        refuse("the step and repeat on line " + std::to_string(repeatLine_) + " would create " +
               (items == std::numeric_limits<std::size_t>::max() ? "at least " + std::to_string(items)
                                                                  : std::to_string(items)) +
               " items, more than the " + std::to_string(maximumRepeatedItems) + " one import may create");
    } else {
        for (std::int64_t row = 0; row < repeatY_ && !repeatedBlock_.empty(); ++row) {
            for (std::int64_t column = 0; column < repeatX_; ++column) {
                const Coordinate offset{static_cast<double>(column) * repeatI_,
                                        static_cast<double>(row) * repeatJ_, 0.0};
                for (const GerberDrawingCommand& command : repeatedBlock_) {
                    drawingCommandCallback(command.translated(offset));
                }
            }
        }
        repeatedItems_ += items;
    }
    repeatedBlock_.clear();
    repeatedBlockItems_ = 0;
    repeatX_ = 1;
    repeatY_ = 1;
}

} // namespace VeltranePatterns
