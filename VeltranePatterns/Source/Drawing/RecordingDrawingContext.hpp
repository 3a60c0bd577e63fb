#pragma once
// A drawing context that paints nothing and keeps every call in order, for
// checking what an item or a layer draws. It follows the path rules of
// DrawingContext: fillPath() and strokePath() record the path they consume and
// leave the current path empty.

#include <string>
#include <variant>
#include <vector>

#include "VeltranePatterns/Source/Drawing/DrawingContext.hpp"

namespace VeltranePatterns {

namespace RecordedOperation {

struct MoveTo {
    DrawingPoint point;
};
struct LineTo {
    DrawingPoint point;
};
struct Arc {
    DrawingPoint center;
    double radius = 0.0;
    double startAngle = 0.0;
    double endAngle = 0.0;
    bool clockwise = false;
};
struct ClosePath {};
struct AddRect {
    DrawingRect rect;
};

using PathElement = std::variant<MoveTo, LineTo, Arc, ClosePath, AddRect>;
using Path = std::vector<PathElement>;

struct FillRect {
    DrawingRect rect;
};
// The path that the fill or stroke consumed; empty when it painted nothing.
struct FillPath {
    Path path;
};
struct StrokePath {
    Path path;
};
struct SetLineWidth {
    double width = 0.0;
};
struct SetLineCap {
    LineCap cap = LineCap::butt;
};
struct SetLineJoin {
    LineJoin join = LineJoin::miter;
};
struct SetStrokeColor {
    DrawingColor color;
};
struct SetFillColor {
    DrawingColor color;
};
struct SetShadow {
    DrawingShadow shadow;
};

} // namespace RecordedOperation

using RecordedDrawingOperation =
    std::variant<RecordedOperation::MoveTo, RecordedOperation::LineTo, RecordedOperation::Arc,
                 RecordedOperation::ClosePath, RecordedOperation::AddRect, RecordedOperation::FillRect,
                 RecordedOperation::FillPath, RecordedOperation::StrokePath, RecordedOperation::SetLineWidth,
                 RecordedOperation::SetLineCap, RecordedOperation::SetLineJoin, RecordedOperation::SetStrokeColor,
                 RecordedOperation::SetFillColor, RecordedOperation::SetShadow>;

class RecordingDrawingContext final : public DrawingContext {
public:
    void moveTo(DrawingPoint point) override;
    void addLineTo(DrawingPoint point) override;
    void addArc(DrawingPoint center, double radius, double startAngle, double endAngle, bool clockwise) override;
    void closePath() override;
    void addRect(DrawingRect rect) override;
    void fillRect(DrawingRect rect) override;
    void fillPath() override;
    void strokePath() override;
    void setLineWidth(double width) override;
    void setLineCap(LineCap cap) override;
    void setLineJoin(LineJoin join) override;
    void setStrokeColor(DrawingColor color) override;
    void setFillColor(DrawingColor color) override;
    void setShadow(DrawingShadow shadow) override;

    // Every call in order, path construction included.
    const std::vector<RecordedDrawingOperation>& operations() const { return operations_; }
    // Only the calls that paint (fillRect, fillPath, strokePath), in order.
    std::vector<RecordedDrawingOperation> paintOperations() const;
    // The path built since the last fill or stroke.
    const RecordedOperation::Path& currentPath() const { return currentPath_; }

private:
    void addToPath(RecordedOperation::PathElement element);

    std::vector<RecordedDrawingOperation> operations_;
    RecordedOperation::Path currentPath_;
};

std::string describe(DrawingPoint point);
std::string describe(DrawingRect rect);
std::string describe(DrawingColor color);
// One line per operation, numbers at full precision, for test failure messages.
std::string describe(const RecordedOperation::PathElement& element);
std::string describe(const RecordedDrawingOperation& operation);

} // namespace VeltranePatterns
