#include "VeltranePatterns/Source/Import/Gerber/GerberParser.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>

#include "VeltranePatterns/Source/Diagnostics/ProgramStop.hpp"
#include "VeltranePatterns/Source/Import/ImportMessages.hpp"
#include "VeltranePatterns/Source/Import/ImportNumbers.hpp"
#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

namespace {

using Zovudidova::DistanceUnit;

// Removes every character of the set from both ends of the text.
std::string_view trimCharacters(std::string_view text, std::string_view set) {
    const std::size_t first = text.find_first_not_of(set);
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(set);
    return text.substr(first, last - first + 1);
}

// The non-empty pieces of a text cut at every occurrence of a separator, one at a
// time, so a long line is never copied or split further than a handler needs.
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

double coordinateValue(std::int64_t integer, std::int64_t decimalDigits) {
    return static_cast<double>(integer) / powerOfTen(decimalDigits);
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

// The template of a definition's letter from its readable parameters, or nothing
// when there are too few of them, the letter is unknown, or a parameter the
// template uses has no finite value (an overflow such as 1e999, or nan): such a
// size would give items that can be neither measured nor printed.
std::optional<GerberApertureTemplate> apertureTemplate(char letter, std::span<const double> p) {
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

constexpr std::size_t maximumApertureParameters = 4; // a polygon with a hole

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
        stopProgram("You forgot to set the length unit callback before parsing");
    }
    if (!drawingCommandCallback) {
        stopProgram("You forgot to set the drawing command callback before parsing");
    }

    apertureTemplates.clear();
    currentPosition = Coordinate{0.0, 0.0, 0.0};
    currentApertureTemplate.reset();

    while (const auto line = lineReader_->nextLineView()) {
        if (line->empty()) {
            continue;
        }
        switch (line->front()) {
        case '%':
            parseExtendedCommand(*line);
            break;
        case 'D':
            parseDCodeCommand(*line);
            break;
        case 'X':
        case 'Y':
            parseDataBlock(*line);
            break;
        default:
            // G and M codes (the end-of-file code too), continuation lines and
            // anything else: reading goes on to the physical end of the input.
            break;
        }
    }

    lengthUnitChangedCallback = nullptr;
    drawingCommandCallback = nullptr;
}

void GerberParser::parseExtendedCommand(std::string_view line) {
    const std::string_view text = trimCharacters(line, "%*");
    if (text.size() < 3) {
        return;
    }
    const std::string_view code = text.substr(0, 3);
    if (code == "FSL") {
        parseFormatSpecification(text);
    } else if (code == "MOI") {
        units = DistanceUnit::inches;
        lengthUnitChangedCallback(DistanceUnit::inches);
    } else if (code == "MOM") {
        units = DistanceUnit::millimeters;
        lengthUnitChangedCallback(DistanceUnit::millimeters);
    } else if (code == "ADD") {
        parseApertureDefinition(text);
    }
}

// FSLAX24Y24: 2 integer and 4 decimal digits on each axis. The notation letter
// after FSL is not examined; coordinates are always absolute.
void GerberParser::parseFormatSpecification(std::string_view text) {
    Pieces atX(text, 'X');
    if (!atX.next()) {
        return;
    }
    const auto formats = atX.next();
    if (!formats) {
        return;
    }
    Pieces atY(*formats, 'Y');
    const auto xPiece = atY.next();
    const auto yPiece = atY.next();
    if (!yPiece) {
        return;
    }
    const auto a = readImportInteger(*xPiece);
    const auto b = readImportInteger(*yPiece);
    if (!a || !b) {
        return;
    }
    integerDigits = {*a / 10, *b / 10};
    decimalDigits = {*a % 10, *b % 10};
}

// ADD10C,0.5X0.2: aperture 10, a circle 0.5 across with a hole 0.2 across.
void GerberParser::parseApertureDefinition(std::string_view text) {
    Pieces atComma(text, ',');
    const auto name = atComma.next();
    const auto parameterPiece = atComma.next();
    if (!parameterPiece) {
        return;
    }
    // "ADD", at least one digit and the template letter.
    if (name->size() < 5) {
        return;
    }
    const auto number = readImportInteger(name->substr(3, name->size() - 4));
    if (!number) {
        return;
    }

    // Unreadable parameters are left out; no template uses more than four.
    std::array<double, maximumApertureParameters> parameters{};
    std::size_t count = 0;
    Pieces atX(*parameterPiece, 'X');
    while (count < parameters.size()) {
        const auto piece = atX.next();
        if (!piece) {
            break;
        }
        if (const auto value = Zovudidova::parseDouble(*piece)) {
            parameters[count++] = *value;
        }
    }
    auto aperture = apertureTemplate(name->back(), std::span<const double>(parameters.data(), count));
    if (!aperture) {
        return;
    }
    apertureTemplates.insert_or_assign(*number, std::move(*aperture));
}

// D10 selects aperture 10; D03 flashes the aperture in use at the current position.
void GerberParser::parseDCodeCommand(std::string_view line) {
    const auto code = readImportInteger(trimCharacters(line, "D*"));
    if (!code) {
        return;
    }
    if (*code == 3) {
        drawingCommandCallback(GerberDrawingCommand::flash(currentPosition, apertureInUse()));
        return;
    }
    // A lone D01 or D02 deselects too, unless apertures 1 or 2 exist.
    const auto entry = apertureTemplates.find(*code);
    if (entry == apertureTemplates.end()) {
        currentApertureTemplate.reset();
    } else {
        currentApertureTemplate = entry->second;
    }
}

// X12500Y-3000D01: a line to the new point; D02 moves, D03 flashes there. Every
// block must carry its own D code.
void GerberParser::parseDataBlock(std::string_view line) {
    const std::string_view text = trimCharacters(line, "X*");
    Pieces atD(text, 'D');
    const auto coordinates = atD.next();
    const auto operation = atD.next();
    if (!operation) {
        printImportMessage("Parse error: no trailing draw command");
        return;
    }

    Pieces atY(*coordinates, 'Y');
    const auto first = atY.next();
    const auto second = atY.next();
    if (!first) {
        // Only "Y" letters, as in YD01: no coordinate to go to.
        return;
    }
    Coordinate point{currentPosition.x, currentPosition.y, 0.0};
    if (second) {
        const auto x = readImportInteger(*first);
        const auto y = readImportInteger(*second);
        if (!x || !y) {
            return;
        }
        point.x = coordinateValue(*x, decimalDigits.x);
        point.y = coordinateValue(*y, decimalDigits.y);
    } else {
        const auto value = readImportInteger(*first);
        if (!value) {
            return;
        }
        if (coordinates->find('Y') != std::string_view::npos) {
            point.y = coordinateValue(*value, decimalDigits.y);
        } else {
            point.x = coordinateValue(*value, decimalDigits.x);
        }
    }

    const auto code = readImportInteger(*operation);
    if (!code) {
        return;
    }
    if (*code == 1) {
        drawingCommandCallback(GerberDrawingCommand::line(currentPosition, point, apertureInUse()));
    } else if (*code == 3) {
        drawingCommandCallback(GerberDrawingCommand::flash(point, apertureInUse()));
    }
    currentPosition = point;
}

} // namespace VeltranePatterns
