// An arc fill covers its ring sector with concentric arcs half a feature
// width apart, from the larger radius to the smaller, alternating their sense
// so each pass starts where the last one ended, joined by radial steps.

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "Dotfield/Printing/Items/ItemKindPrinting.hpp"
#include "Dotfield/Printing/Modes/PrintingMode.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "VeltranePatterns/Source/Items/ArcFill.hpp"

namespace Dotfield {

namespace {

using VeltranePatterns::RotationalDirection;

// The most passes one arc fill makes.
constexpr double maximumArcFillPasses = 100'000.0;

} // namespace

void printArcFill(const VeltranePatterns::ArcFill& arcFill, const ItemPrinting& printing) {
    const VeltranePatterns::Coordinate& centre = arcFill.centerPoint();
    const auto drawArc = [&](const Zovudidova::Angle& from, const Zovudidova::Angle& to,
                             RotationalDirection direction, double radius) {
        printing.robot.drawArc(from, to, centre, radius, direction, printing.patternStart, printing.surfaceCant,
                               printing.scaleFactor, printing.rotation, printing.topographyMap,
                               arcFill.velocity(), arcFill.acceleration());
    };

    printing.printingMode.run(printing.electronics, [&] {
        const double spacing = printing.featureWidth * 0.5 / printing.scaleFactor;
        const double outer = std::max(arcFill.outsideRadius(), arcFill.insideRadius());
        const double inner = std::min(arcFill.outsideRadius(), arcFill.insideRadius());
        const double band = std::fabs(arcFill.outsideRadius() - arcFill.insideRadius());

        // A band one spacing covers, or a spacing or band that is no usable
        // number, gets one arc along the middle of the ring.
        if (!(std::isfinite(spacing) && spacing > 0.0 && std::isfinite(band)) || 2.0 * spacing >= band) {
            drawArc(arcFill.startAngle(), arcFill.endAngle(), arcFill.direction(),
                    (arcFill.outsideRadius() + arcFill.insideRadius()) * 0.5);
            return;
        }

        const double passes = std::min(std::ceil(band / spacing), maximumArcFillPasses);
        const auto passCount = static_cast<std::size_t>(passes);
        for (std::size_t i = 0; i < passCount; ++i) {
            const double radius = outer - static_cast<double>(i) * spacing;
            const bool even = i % 2 == 0;
            const Zovudidova::Angle& from = even ? arcFill.startAngle() : arcFill.endAngle();
            const Zovudidova::Angle& to = even ? arcFill.endAngle() : arcFill.startAngle();
            drawArc(from, to, even ? arcFill.direction() : VeltranePatterns::opposite(arcFill.direction()), radius);

            const double next = radius - spacing;
            if (next >= inner) {
                const VeltranePatterns::Coordinate step{Zovudidova::cos(to) * next + centre.x,
                                                        Zovudidova::sin(to) * next + centre.y, centre.z};
                printing.robot.drawLineToCoordinate(printing.correctedPoint(step), printing.topographyMap,
                                                    arcFill.velocity(), arcFill.acceleration());
            }
            if (printing.progressHandler && printing.progressHandler(static_cast<double>(i) / passes)) {
                return;
            }
        }
    });
}

} // namespace Dotfield
