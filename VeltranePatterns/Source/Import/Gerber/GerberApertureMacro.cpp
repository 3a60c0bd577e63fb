#include "VeltranePatterns/Source/Import/Gerber/GerberApertureMacro.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <cstddef>

#include "VeltranePatterns/Source/Import/ImportNumbers.hpp"
#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

namespace {

constexpr double pi = 3.141592653589793;
// Far more than any pad needs; bounds the work a hostile macro can ask for.
constexpr std::size_t maximumPolygonVertices = 1000;
constexpr std::size_t maximumVariable = 10000;
constexpr int maximumNesting = 64;

// A recursive-descent reader of one expression.
class ExpressionReader {
public:
    ExpressionReader(std::string_view text, const std::vector<double>& variables)
        : text_(text), variables_(variables) {}

    std::optional<double> read() {
        auto value = sum();
        skipBlanks();
        if (!value || position_ != text_.size() || !std::isfinite(*value)) {
            return std::nullopt;
        }
        return value;
    }

private:
    void skipBlanks() {
        while (position_ < text_.size() && (text_[position_] == ' ' || text_[position_] == '\t')) {
            ++position_;
        }
    }
    bool take(char c) {
        skipBlanks();
        if (position_ < text_.size() && text_[position_] == c) {
            ++position_;
            return true;
        }
        return false;
    }

    std::optional<double> sum() {
        auto value = product();
        while (value) {
            if (take('+')) {
                const auto right = product();
                value = right ? std::optional(*value + *right) : std::nullopt;
            } else if (take('-')) {
                const auto right = product();
                value = right ? std::optional(*value - *right) : std::nullopt;
            } else {
                break;
            }
        }
        return value;
    }

    std::optional<double> product() {
        auto value = factor();
        while (value) {
            if (take('x') || take('X')) {
                const auto right = factor();
                value = right ? std::optional(*value * *right) : std::nullopt;
            } else if (take('/')) {
                const auto right = factor();
                value = right ? std::optional(*value / *right) : std::nullopt;
            } else {
                break;
            }
        }
        return value;
    }

    std::optional<double> factor() {
        if (++depth_ > maximumNesting) {
            return std::nullopt;
        }
        std::optional<double> value;
        if (take('-')) {
            const auto inner = factor();
            value = inner ? std::optional(-*inner) : std::nullopt;
        } else if (take('+')) {
            value = factor();
        } else if (take('(')) {
            value = sum();
            if (!take(')')) {
                value.reset();
            }
        } else if (take('$')) {
            const std::size_t start = position_;
            while (position_ < text_.size() && text_[position_] >= '0' && text_[position_] <= '9') {
                ++position_;
            }
            const auto index = readImportInteger(text_.substr(start, position_ - start));
            if (index && *index >= 1) {
                const auto i = static_cast<std::size_t>(*index);
                value = i <= variables_.size() ? variables_[i - 1] : 0.0;
            }
        } else {
            skipBlanks();
            const std::size_t start = position_;
            while (position_ < text_.size() &&
                   ((text_[position_] >= '0' && text_[position_] <= '9') || text_[position_] == '.')) {
                ++position_;
            }
            value = Zovudidova::parseDouble(text_.substr(start, position_ - start));
        }
        --depth_;
        return value;
    }

    std::string_view text_;
    const std::vector<double>& variables_;
    std::size_t position_ = 0;
    int depth_ = 0;
};

Coordinate rotated(const Coordinate& p, double degrees) {
    if (degrees == 0.0) {
        return p;
    }
    const double a = degrees * pi / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    return {p.x * c - p.y * s, p.x * s + p.y * c, 0.0};
}

std::vector<Coordinate> rotated(std::vector<Coordinate> points, double degrees) {
    for (Coordinate& p : points) {
        p = rotated(p, degrees);
    }
    return points;
}

// The corners of a rectangle of the width along the segment from a to b.
std::vector<Coordinate> strokeOutline(const Coordinate& a, const Coordinate& b, double width) {
    const double length = std::hypot(b.x - a.x, b.y - a.y);
    if (!(length > 0.0)) {
        return {};
    }
    const double nx = -(b.y - a.y) / length * width / 2.0;
    const double ny = (b.x - a.x) / length * width / 2.0;
    return {{a.x - nx, a.y - ny, 0}, {b.x - nx, b.y - ny, 0}, {b.x + nx, b.y + ny, 0}, {a.x + nx, a.y + ny, 0}};
}

std::vector<std::string_view> fields(std::string_view block) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = block.find(',', start);
        parts.push_back(block.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) {
            return parts;
        }
        start = comma + 1;
    }
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

} // namespace

std::optional<double> evaluateMacroExpression(std::string_view text, const std::vector<double>& variables) {
    return ExpressionReader(text, variables).read();
}

GerberApertureTemplate::MacroShapes evaluateApertureMacro(const GerberApertureMacro& macro,
                                                    std::span<const double> parameters) {
    GerberApertureTemplate::MacroShapes result;
    result.name = macro.name;
    std::vector<double> variables(parameters.begin(), parameters.end());
    const auto fail = [&result](std::string reason) {
        result.discs.clear();
        result.outlines.clear();
        result.failure = std::move(reason);
        return result;
    };
    for (const std::string& text : macro.blocks) {
        const std::string_view block = trimmed(text);
        if (block.empty() || block.front() == '0') {
            continue; // a comment
        }
        if (block.front() == '$') {
            // A variable definition: $n=expression.
            const std::size_t equals = block.find('=');
            const auto index = equals == std::string_view::npos ? std::nullopt
                                                                : readImportInteger(block.substr(1, equals - 1));
            const auto value = index ? evaluateMacroExpression(block.substr(equals + 1), variables) : std::nullopt;
            if (!index || *index < 1 || static_cast<std::size_t>(*index) > maximumVariable || !value) {
                return fail("a variable definition does not evaluate");
            }
            if (variables.size() < static_cast<std::size_t>(*index)) {
                variables.resize(static_cast<std::size_t>(*index), 0.0);
            }
            variables[static_cast<std::size_t>(*index) - 1] = *value;
            continue;
        }
        const auto parts = fields(block);
        std::vector<double> n;
        n.reserve(parts.size());
        for (const std::string_view part : parts) {
            const auto value = evaluateMacroExpression(part, variables);
            if (!value) {
                return fail("a number does not evaluate");
            }
            n.push_back(*value);
        }
        const auto code = readImportInteger(trimmed(parts[0]));
        const auto need = [&n](std::size_t count) { return n.size() >= count; };
        if (!code || !need(2)) {
            return fail("a primitive cannot be read");
        }
        static constexpr std::int64_t printable[] = {1, 2, 4, 5, 20, 21};
        if (std::find(std::begin(printable), std::end(printable), *code) == std::end(printable)) {
            return fail("it uses primitive " + std::to_string(*code) + ", which cannot be printed");
        }
        if (n[1] == 0.0) {
            // Exposure off: a hole in what the other primitives cover.
            result.leftOutClearParts = true;
            continue;
        }
        switch (*code) {
        case 1: // circle: exposure, diameter, centre x, centre y[, rotation]
            if (!need(5)) {
                return fail("a circle lacks numbers");
            }
            result.discs.push_back({rotated(Coordinate{n[3], n[4], 0}, need(6) ? n[5] : 0.0), n[2]});
            break;
        case 2:
        case 20: // vector line: exposure, width, start x, start y, end x, end y, rotation
            if (!need(8)) {
                return fail("a vector line lacks numbers");
            }
            if (auto outline = strokeOutline({n[3], n[4], 0}, {n[5], n[6], 0}, n[2]); !outline.empty()) {
                result.outlines.push_back(rotated(std::move(outline), n[7]));
            }
            break;
        case 21: { // centre line: exposure, width, height, centre x, centre y, rotation
            if (!need(7)) {
                return fail("a centre line lacks numbers");
            }
            const double w = n[2] / 2.0, h = n[3] / 2.0, cx = n[4], cy = n[5];
            result.outlines.push_back(
                rotated({{cx - w, cy - h, 0}, {cx + w, cy - h, 0}, {cx + w, cy + h, 0}, {cx - w, cy + h, 0}}, n[6]));
            break;
        }
        case 4: { // outline: exposure, vertices, (vertices + 1) points, rotation
            if (!need(3) || !(n[2] >= 1.0) || n[2] > static_cast<double>(n.size())) {
                return fail("an outline lacks numbers");
            }
            const auto vertices = static_cast<std::size_t>(n[2]);
            if (!need(3 + 2 * (vertices + 1) + 1)) {
                return fail("an outline lacks numbers");
            }
            std::vector<Coordinate> outline;
            outline.reserve(vertices);
            for (std::size_t i = 0; i < vertices; ++i) {
                outline.push_back({n[3 + 2 * i], n[4 + 2 * i], 0});
            }
            result.outlines.push_back(rotated(std::move(outline), n[3 + 2 * (vertices + 1)]));
            break;
        }
        case 5: { // polygon: exposure, vertices, centre x, centre y, diameter, rotation
            if (!need(7) || !(n[2] >= 3.0) || n[2] > static_cast<double>(maximumPolygonVertices)) {
                return fail("a polygon cannot be read");
            }
            const auto vertices = static_cast<std::size_t>(n[2]);
            std::vector<Coordinate> outline;
            outline.reserve(vertices);
            for (std::size_t i = 0; i < vertices; ++i) {
                const double a = 2.0 * pi * static_cast<double>(i) / static_cast<double>(vertices);
                outline.push_back({n[3] + n[5] / 2.0 * std::cos(a), n[4] + n[5] / 2.0 * std::sin(a), 0});
            }
            result.outlines.push_back(rotated(std::move(outline), n[6]));
            break;
        }
        default:
            return fail("it uses primitive " + std::to_string(*code) + ", which cannot be printed");
        }
    }
    return result;
}

} // namespace VeltranePatterns
