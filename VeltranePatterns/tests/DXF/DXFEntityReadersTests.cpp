#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/DXFNumbers.hpp"
#include "VeltranePatterns/Source/Import/ImportNumbers.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"
#include "VeltranePatterns/tests/DXF/DXFTestSupport.hpp"

using namespace VeltranePatterns;
using namespace DXFTestSupport;
using Zovudidova::AngleUnit;

namespace {

// The entities that one record of the ENTITIES section gives.
std::vector<DXFEntity> read(const Groups& record) { return parseText(entitiesSection(record)).entities; }

template <typename Case>
Case readOne(const Groups& record) {
    const auto entities = read(record);
    EXPECT_EQ(entities.size(), 1u);
    if (entities.empty() || entities[0].getIf<Case>() == nullptr) {
        ADD_FAILURE() << "no entity of the expected kind";
        return Case{};
    }
    return *entities[0].getIf<Case>();
}

double degreesOf(const Angle& angle) {
    EXPECT_EQ(angle.unit(), AngleUnit::degrees);
    return angle.value(AngleUnit::degrees);
}

} // namespace

TEST(DXFNumbers, WholeTextFiniteNumbersOnly) {
    EXPECT_EQ(readDXFNumber("1.5"), 1.5);
    EXPECT_EQ(readDXFNumber("-2e3"), -2000.0);
    EXPECT_EQ(readDXFNumber("+.5"), 0.5);
    for (const char* text : {"", " 1", "1 ", "1\t", "1,5", "nan", "NAN", "-inf", "infinity", "0x10", "1e999", "abc"}) {
        EXPECT_EQ(readDXFNumber(text), std::nullopt) << text;
    }
    EXPECT_EQ(readImportInteger("+70"), 70);
    EXPECT_EQ(readImportInteger("-3"), -3);
    for (const char* text : {"", "1.0", " 7", "7 ", "99999999999999999999", "+"}) {
        EXPECT_EQ(readImportInteger(text), std::nullopt) << text;
    }
}

TEST(DXFEntityReaders, RecordsThatGiveNothing) {
    const Groups cases[] = {
        {{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {10, "x"}, {21, "1"}}, // later 10 is no number
        {{0, "LINE"}, {10, "nan"}, {20, "0"}, {11, "1"}, {21, "1"}},
        {{0, "LINE"}, {10, "inf"}, {20, "0"}, {11, "1"}, {21, "1"}},
        {{0, "POINT"}, {10, "0x1p3"}, {20, "0"}},
        {{0, "CIRCLE"}, {10, "0"}, {20, "0"}},
        {{0, "ARC"}, {10, "0"}, {20, "0"}, {40, "1"}, {50, "0"}},
        {{0, "ELLIPSE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {40, "0.5"}, {41, "0"}},
        {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {42, "1"}},
        {{0, "LWPOLYLINE"}, {10, "0"}, {20, "0"}, {10, "1"}}, // second vertex lacks y
        {{0, "POLYLINE"}, {10, "0"}, {20, "0"}, {0, "VERTEX"}, {10, "1"}, {20, "1"}, {0, "SEQEND"}},
        {{0, "MLINE"}, {11, "0"}, {21, "0"}, {11, "1"}, {21, "1"}}, // no starting point
        {{0, "SOLID"}, {10, "0"}, {20, "0"}, {11, "1"}},
        {{0, "SPLINE"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"}, {11, "0"}, {21, "0"}},
        {{0, "INSERT"}, {2, "Nowhere"}},
        {{0, "TEXT"}, {10, "0"}, {20, "0"}, {1, "Hello"}},
    };
    for (const Groups& record : cases) {
        EXPECT_TRUE(read(record).empty()) << record[0].second << " " << dxfText(record);
    }
}

TEST(DXFEntityReaders, LinesPointsCirclesArcsAndEllipses) {
    const auto line = readOne<DXFEntity::Line>({{0, "LINE"}, {10, "1"}, {20, "2"}, {11, "3"}, {21, "4"}});
    EXPECT_EQ(line.layerName, "No Layer");
    EXPECT_EQ(line.startPoint, (Coordinate{1, 2, 0}));
    EXPECT_EQ(line.endPoint, (Coordinate{3, 4, 0}));

    const auto twoLayers = readOne<DXFEntity::Line>(
        {{0, "LINE"}, {8, "First"}, {10, "0"}, {20, "0"}, {30, "5"}, {8, "Second"}, {11, "1"}, {21, "1"}, {31, "-1"}});
    EXPECT_EQ(twoLayers.layerName, "First");
    EXPECT_EQ(twoLayers.startPoint.z, 5.0);
    EXPECT_EQ(twoLayers.endPoint.z, -1.0);

    const auto point = readOne<DXFEntity::Point>({{0, "POINT"}, {10, "1"}, {10, "7"}, {20, "2"}, {30, "3"}});
    EXPECT_EQ(point.coordinate, (Coordinate{7, 2, 3})); // the later 10 wins

    const auto circle = readOne<DXFEntity::Circle>({{0, "CIRCLE"}, {8, "C"}, {10, "1"}, {20, "2"}, {40, "2.5"}});
    EXPECT_EQ(circle.radius, 2.5);

    const auto arc =
        readOne<DXFEntity::Arc>({{0, "ARC"}, {10, "1"}, {20, "2"}, {40, "3"}, {50, "0"}, {51, "90"}});
    EXPECT_EQ(degreesOf(arc.startAngle), 0.0);
    EXPECT_EQ(degreesOf(arc.endAngle), 90.0);
    EXPECT_EQ(arc.radius, 3.0);

    // The ellipse's parameters are taken in degrees as written.
    const auto ellipse = readOne<DXFEntity::Ellipse>({{0, "ELLIPSE"}, {10, "1"}, {20, "2"}, {11, "4"}, {21, "0"},
                                                      {40, "0.5"}, {41, "0"}, {42, "6.283185307179586"}});
    EXPECT_EQ(ellipse.majorAxisVector, (Coordinate{4, 0, 0}));
    EXPECT_EQ(ellipse.radiusRatio, 0.5);
    EXPECT_EQ(degreesOf(ellipse.endAngle), 6.283185307179586);
}

TEST(DXFEntityReaders, PolylineVerticesBulgesAndFlags) {
    const auto lw = readOne<DXFEntity::LWPolyLine>({{0, "LWPOLYLINE"}, {8, "P"}, {42, "9"}, {90, "3"}, {70, "1"},
                                                    {10, "0"}, {20, "0"}, {42, "0.5"}, {10, "1"}, {20, "0"},
                                                    {30, "2"}, {42, "0"}, {10, "1"}, {20, "1"}});
    ASSERT_EQ(lw.pointsAndBulgeValues.size(), 3u);
    EXPECT_EQ(lw.pointsAndBulgeValues[0].second, 0.5); // the 42 before the first vertex is lost
    EXPECT_EQ(lw.pointsAndBulgeValues[1].first, (Coordinate{1, 0, 2}));
    EXPECT_EQ(lw.pointsAndBulgeValues[1].second, 0.0);
    EXPECT_EQ(lw.pointsAndBulgeValues[2].second, std::nullopt);
    EXPECT_TRUE(lw.options.contains(DXFPolylineOptions::closedPolyline));

    // The POLYLINE's own position and its vertices' flags and bulges are not used.
    const auto poly = readOne<DXFEntity::PolyLine>(
        {{0, "POLYLINE"}, {8, "P"}, {66, "1"}, {10, "0"}, {20, "0"}, {30, "9"}, {70, "1"}, {0, "VERTEX"}, {8, "P"},
         {10, "1"}, {20, "2"}, {42, "1"}, {70, "32"}, {0, "VERTEX"}, {10, "3"}, {20, "4"}, {30, "5"}, {0, "VERTEX"},
         {10, "6"}, {0, "SEQEND"}});
    EXPECT_EQ(poly.points, (std::vector<Coordinate>{{1, 2, 0}, {3, 4, 5}}));
    EXPECT_EQ(poly.options.rawValue(), 1);

    const auto mline = readOne<DXFEntity::Multiline>(
        {{0, "MLINE"}, {10, "0"}, {20, "0"}, {11, "0"}, {21, "0"}, {13, "0"}, {23, "1"}, {11, "5"}, {21, "0"},
         {31, "1"}, {13, "0"}, {23, "2"}});
    EXPECT_EQ(mline.vertices, (std::vector<Coordinate>{{0, 0, 0}, {5, 0, 1}}));
    EXPECT_EQ(mline.offsetsFromBottom, (std::vector<Coordinate>{{0, 1, 0}, {0, 2, 0}}));
}

TEST(DXFEntityReaders, SolidCornersAndExtrusion) {
    const Groups corners{{10, "0"}, {20, "0"}, {11, "1"}, {21, "0"}, {12, "0"}, {22, "1"}, {13, "1"}, {23, "1"}};
    Groups solid{{0, "SOLID"}};
    solid.insert(solid.end(), corners.begin(), corners.end());
    Groups face{{0, "3DFACE"}};
    face.insert(face.end(), corners.begin(), corners.end());
    EXPECT_EQ(readOne<DXFEntity::Solid>(solid).points,
              (std::vector<Coordinate>{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}));
    EXPECT_EQ(readOne<DXFEntity::Solid>(face).points,
              (std::vector<Coordinate>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}));
    // Extrusion -1 mirrors in x; an incomplete corner is left out.
    EXPECT_EQ(readOne<DXFEntity::Solid>({{0, "SOLID"}, {10, "2"}, {20, "0"}, {11, "3"}, {21, "1"}, {12, "9"},
                                         {230, "-1"}})
                  .points,
              (std::vector<Coordinate>{{-2, 0, 0}, {-3, 1, 0}}));
}

TEST(DXFEntityReaders, SplinesKeepFitPointsControlPointsAndKnots) {
    const auto spline = readOne<DXFEntity::Spline>(
        {{0, "SPLINE"}, {70, "8"}, {40, "0"}, {40, "x"}, {40, "1"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"},
         {11, "0"}, {21, "0"}, {11, "2"}, {21, "2"}, {31, "1"}});
    EXPECT_EQ(spline.controlPoints, (std::vector<Coordinate>{{0, 0, 0}, {1, 1, 0}}));
    EXPECT_EQ(spline.fitPoints, (std::vector<Coordinate>{{0, 0, 0}, {2, 2, 1}}));
    EXPECT_EQ(spline.knotValues, (std::vector<double>{0, 1}));
    EXPECT_TRUE(spline.options.contains(DXFSplineOptions::planar));
}

TEST(DXFEntityReaders, HatchLoopsOfLineAndArcEdges) {
    // Elevation point (10/20/30) and pattern values pass through the edge values and
    // are cleared at the first 72. A loop of three lines and an arc, then a polyline
    // path of two vertices, then an edge missing a value.
    const Groups hatch{
        {0, "HATCH"}, {8, "Hatched"}, {10, "0"}, {20, "0"}, {30, "0"}, {2, "SOLID"}, {70, "1"}, {71, "0"},
        {91, "3"},    {92, "1"},      {93, "4"}, {72, "1"}, {10, "0"}, {20, "0"},    {11, "4"},   {21, "0"},
        {72, "1"},    {10, "4"},      {20, "0"}, {11, "4"}, {21, "4"}, {72, "2"},    {10, "2"},   {20, "4"},
        {40, "2"},    {50, "0"},      {51, "180"}, {73, "1"}, {72, "1"}, {10, "0"},  {20, "4"},   {11, "0"},
        {21, "0"},    {97, "0"},      {92, "2"}, {72, "0"}, {73, "1"}, {93, "2"},    {10, "0"},   {20, "0"},
        {10, "1"},    {20, "1"},      {97, "0"}, {92, "1"}, {93, "1"}, {72, "1"},    {10, "0"},   {20, "0"},
        {11, "1"},    {97, "0"},      {75, "0"}, {98, "0"}};
    const auto record = parseText(entitiesSection(hatch));
    EXPECT_TRUE(record.entities.empty());
    ASSERT_EQ(record.hatches.size(), 1u);
    const DXFHatch& h = record.hatches[0];
    EXPECT_EQ(h.layerName, "Hatched");
    EXPECT_TRUE(h.solid);
    EXPECT_EQ(h.boundaryPathType.rawValue(), 1); // the last 92
    ASSERT_EQ(h.loops.size(), 2u);
    ASSERT_EQ(h.loops[0].size(), 4u);
    // The polyline path closes on itself: there and back.
    ASSERT_EQ(h.loops[1].size(), 2u);
    EXPECT_EQ(h.loops[1][1].getIf<DXFEntity::Line>()->endPoint, (Coordinate{0, 0, 0}));
    const auto* first = h.loops[0][0].getIf<DXFEntity::Line>();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->endPoint, (Coordinate{4, 0, 0}));
    const auto* arc = h.loops[0][2].getIf<DXFEntity::Arc>();
    ASSERT_NE(arc, nullptr);
    EXPECT_EQ(arc->layerName, "Hatched");
    EXPECT_EQ(arc->center, (Coordinate{2, 4, 0}));
    EXPECT_EQ(degreesOf(arc->endAngle), 180.0);

    // A polyline boundary alone gives its loop; 70 other than 1 is not solid.
    const auto polylinePath = parseText(entitiesSection({{0, "HATCH"}, {70, "0"}, {91, "1"}, {92, "2"}, {72, "0"},
                                                         {93, "2"}, {10, "0"}, {20, "0"}, {10, "1"}, {20, "1"},
                                                         {97, "0"}}));
    ASSERT_EQ(polylinePath.hatches.size(), 1u);
    EXPECT_EQ(polylinePath.hatches[0].loops.size(), 1u);
    EXPECT_FALSE(polylinePath.hatches[0].solid);
    EXPECT_EQ(polylinePath.hatches[0].layerName, "No Layer");
    EXPECT_EQ(polylinePath.hatches[0].boundaryPathType.description(), "[\"Polyline\"]");
}
