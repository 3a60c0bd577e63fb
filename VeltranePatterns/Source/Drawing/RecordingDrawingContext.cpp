#include "VeltranePatterns/Source/Drawing/RecordingDrawingContext.hpp"

#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

using namespace RecordedOperation;

void RecordingDrawingContext::addToPath(PathElement element) {
    std::visit([this](const auto& e) { operations_.emplace_back(e); }, element);
    currentPath_.push_back(std::move(element));
}

void RecordingDrawingContext::moveTo(DrawingPoint point) { addToPath(MoveTo{point}); }
void RecordingDrawingContext::addLineTo(DrawingPoint point) { addToPath(LineTo{point}); }
void RecordingDrawingContext::addArc(DrawingPoint center, double radius, double startAngle, double endAngle,
                                     bool clockwise) {
    addToPath(Arc{center, radius, startAngle, endAngle, clockwise});
}
void RecordingDrawingContext::closePath() { addToPath(ClosePath{}); }
void RecordingDrawingContext::addRect(DrawingRect rect) { addToPath(AddRect{rect}); }

void RecordingDrawingContext::fillRect(DrawingRect rect) { operations_.emplace_back(FillRect{rect}); }

void RecordingDrawingContext::fillPath() {
    operations_.emplace_back(FillPath{std::move(currentPath_)});
    currentPath_.clear();
}

void RecordingDrawingContext::strokePath() {
    operations_.emplace_back(StrokePath{std::move(currentPath_)});
    currentPath_.clear();
}

void RecordingDrawingContext::setLineWidth(double width) { operations_.emplace_back(SetLineWidth{width}); }
void RecordingDrawingContext::setLineCap(LineCap cap) { operations_.emplace_back(SetLineCap{cap}); }
void RecordingDrawingContext::setLineJoin(LineJoin join) { operations_.emplace_back(SetLineJoin{join}); }
void RecordingDrawingContext::setStrokeColor(DrawingColor color) { operations_.emplace_back(SetStrokeColor{color}); }
void RecordingDrawingContext::setFillColor(DrawingColor color) { operations_.emplace_back(SetFillColor{color}); }
void RecordingDrawingContext::setShadow(DrawingShadow shadow) { operations_.emplace_back(SetShadow{shadow}); }

std::vector<RecordedDrawingOperation> RecordingDrawingContext::paintOperations() const {
    std::vector<RecordedDrawingOperation> result;
    for (const auto& operation : operations_) {
        if (std::holds_alternative<FillRect>(operation) || std::holds_alternative<FillPath>(operation) ||
            std::holds_alternative<StrokePath>(operation)) {
            result.push_back(operation);
        }
    }
    return result;
}

namespace {

using Zovudidova::formatDouble;

} // namespace

std::string describe(DrawingPoint p) { return "(" + formatDouble(p.x) + ", " + formatDouble(p.y) + ")"; }

std::string describe(DrawingRect r) {
    return "(" + formatDouble(r.x) + ", " + formatDouble(r.y) + ", " + formatDouble(r.width) + ", " +
           formatDouble(r.height) + ")";
}

std::string describe(DrawingColor c) {
    return "rgba(" + formatDouble(c.red) + ", " + formatDouble(c.green) + ", " + formatDouble(c.blue) + ", " +
           formatDouble(c.alpha) + ")";
}

namespace {

std::string text(const Path& path) {
    std::string result = "[";
    for (const auto& element : path) {
        if (result.size() > 1) {
            result += "; ";
        }
        result += describe(element);
    }
    return result + "]";
}

struct Describer {
    std::string operator()(const MoveTo& o) const { return "moveTo " + describe(o.point); }
    std::string operator()(const LineTo& o) const { return "lineTo " + describe(o.point); }
    std::string operator()(const Arc& o) const {
        return "arc center " + describe(o.center) + " radius " + formatDouble(o.radius) + " from " +
               formatDouble(o.startAngle) + " to " + formatDouble(o.endAngle) +
               (o.clockwise ? " clockwise" : " counterclockwise");
    }
    std::string operator()(const ClosePath&) const { return "closePath"; }
    std::string operator()(const AddRect& o) const { return "addRect " + describe(o.rect); }
    std::string operator()(const FillRect& o) const { return "fillRect " + describe(o.rect); }
    std::string operator()(const FillPath& o) const { return "fillPath " + text(o.path); }
    std::string operator()(const StrokePath& o) const { return "strokePath " + text(o.path); }
    std::string operator()(const SetLineWidth& o) const { return "lineWidth " + formatDouble(o.width); }
    std::string operator()(const SetLineCap& o) const {
        static constexpr const char* names[] = {"butt", "round", "square"};
        return std::string("lineCap ") + names[static_cast<int>(o.cap)];
    }
    std::string operator()(const SetLineJoin& o) const {
        static constexpr const char* names[] = {"miter", "round", "bevel"};
        return std::string("lineJoin ") + names[static_cast<int>(o.join)];
    }
    std::string operator()(const SetStrokeColor& o) const { return "strokeColor " + describe(o.color); }
    std::string operator()(const SetFillColor& o) const { return "fillColor " + describe(o.color); }
    std::string operator()(const SetShadow& o) const {
        return "shadow offset " + describe(o.shadow.offset) + " blur " + formatDouble(o.shadow.blur) + " color " +
               describe(o.shadow.color);
    }
};

} // namespace

std::string describe(const PathElement& element) { return std::visit(Describer{}, element); }
std::string describe(const RecordedDrawingOperation& operation) { return std::visit(Describer{}, operation); }

} // namespace VeltranePatterns
