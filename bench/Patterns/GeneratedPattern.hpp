#pragma once
// The pattern the pattern benchmarks read, write and order: generated, with a
// fixed seed, so every run and every program sees the same one.

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

namespace PatternBenchmarks {

using namespace VeltranePatterns;

// Lines (a third of them chained end to start), points, fills, arcs, arc
// fills, polygons and pauses over three layers, on a 1 mm grid.
inline std::shared_ptr<Pattern> generatedPattern(std::size_t count) {
    std::mt19937 random(42);
    std::uniform_int_distribution<int> grid(0, 999);
    const auto at = [&] { return Coordinate{grid(random) * 100.0, grid(random) * 100.0, 0.0}; };
    std::vector<PatternItemPtr> layers[3];
    Coordinate chainEnd = at();
    for (std::size_t i = 0; i < count; ++i) {
        PatternItemPtr item;
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
            item = std::make_shared<const Line>(at(), at());
            break;
        case 3: {
            const Coordinate next = at();
            item = std::make_shared<const Line>(chainEnd, next);
            chainEnd = next;
            break;
        }
        case 4:
        case 5:
            item = std::make_shared<const Point>(at(), Zovudidova::milliseconds(5));
            break;
        case 6:
            item =
                std::make_shared<const Fill>(at(), FillDimensions{500, 300, 0}, Fill::FillType::horizontal);
            break;
        case 7:
            item = std::make_shared<const Arc>(at(), Zovudidova::degrees(0), Zovudidova::degrees(90), 250,
                                               RotationalDirection::clockwise, 10.0);
            break;
        case 8: {
            const Coordinate c = at();
            item = std::make_shared<const Polygon>(
                std::vector<Coordinate>{c, c + Coordinate{300, 0, 0}, c + Coordinate{150, 200, 0}});
            break;
        }
        default:
            item = i % 100 == 9 ? PatternItemPtr(std::make_shared<const PatternPause>(1.0))
                                : std::make_shared<const ArcFill>(50, 200, at(), Zovudidova::degrees(0),
                                                                  Zovudidova::degrees(360),
                                                                  RotationalDirection::counterClockwise);
            break;
        }
        layers[i % 3].push_back(std::move(item));
    }
    return std::make_shared<Pattern>(Zovudidova::DistanceUnit::microns, 1.0, 1.0, 50.0, 100.0, std::nullopt,
                                     std::nullopt, std::nullopt, false, false, false,
                                     std::vector<SolutionLayer>{SolutionLayer(layers[0], "A"),
                                                                SolutionLayer(layers[1], "B"),
                                                                SolutionLayer(layers[2], "C")},
                                     Pattern::Triple{}, Pattern::Triple{99900, 99900, 0});
}

// The XML document of the 100,000-item pattern.
inline const std::string& generatedDocument() {
    static const std::string document =
        generatedPattern(100000)->dataForXMLRepresentation(1.0, std::nullopt, {});
    return document;
}

} // namespace PatternBenchmarks
