#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/DXFOptions.hpp"

using namespace VeltranePatterns;

TEST(DXFOptions, DescriptionsListWholeMembersInBitOrder) {
    struct Case {
        std::string description;
        std::string expected;
    };
    const Case cases[] = {
        {DXFPolylineOptions(5).description(), R"(["ClosedPolyline", "SplineFit"])"},
        {DXFPolylineOptions(0).description(), "[]"},
        {DXFPolylineOptions(256).description(), "[]"},
        {DXFPolylineOptions(255 | 1024).description(),
         R"(["ClosedPolyline", "CurveFit", "SplineFit", "PolyLine3D", "PolyLine3DMesh", "ClosedPolylineMesh", )"
         R"("PolyfaceMesh", "LinetypePattern"])"},
        {DXFSplineOptions(31).description(),
         R"(["ClosedSpline", "PeriodicSpline", "RationalSpline", "Planar", "Linear"])"},
        {DXFSplineOptions(-1).description(),
         R"(["ClosedSpline", "PeriodicSpline", "RationalSpline", "Planar", "Linear"])"},
        {DXFHatchOptions(0).description(), "Default"},
        {DXFHatchOptions(32).description(), "[]"},
        {DXFHatchOptions(18).description(), R"(["Polyline", "Outermost"])"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.description, c.expected);
    }
    EXPECT_FALSE(DXFPolylineOptions(256).isEmpty());
    EXPECT_TRUE(DXFHatchOptions::default_.isEmpty());
}

TEST(DXFOptions, InsertRemoveAndUpdateReportWhatChanged) {
    DXFSplineOptions options{DXFSplineOptions::planar, DXFSplineOptions::closedSpline};
    EXPECT_EQ(options.rawValue(), 9);
    EXPECT_TRUE(options.contains(DXFSplineOptions::planar));
    EXPECT_TRUE(options.contains(DXFSplineOptions::closedSpline));

    EXPECT_EQ(options.remove(DXFSplineOptions::planar), DXFSplineOptions::planar);
    EXPECT_EQ(options.rawValue(), 1);
    EXPECT_EQ(options.remove(DXFSplineOptions::planar), std::nullopt);

    EXPECT_TRUE(options.insert(DXFSplineOptions::linear));
    EXPECT_FALSE(options.insert(DXFSplineOptions::linear));
    EXPECT_EQ(options.rawValue(), 17);

    // A member of several bits: update reports only the bits that were already set.
    const DXFSplineOptions pair{DXFSplineOptions::closedSpline, DXFSplineOptions::periodicSpline};
    EXPECT_FALSE(options.contains(pair));
    EXPECT_EQ(options.update(pair), DXFSplineOptions::closedSpline);
    EXPECT_EQ(options.rawValue(), 19);
    EXPECT_EQ(options.update(DXFSplineOptions::planar), std::nullopt);
    // Removing a partly set member clears its bits but gives nothing back.
    DXFSplineOptions partial(1);
    EXPECT_EQ(partial.remove(pair), std::nullopt);
    EXPECT_TRUE(partial.isEmpty());
}

TEST(DXFOptions, SetAlgebraKeepsUnnamedBits) {
    const DXFPolylineOptions a(1 | 4 | 256);
    const DXFPolylineOptions b(4 | 8);
    EXPECT_EQ(a.unionWith(b).rawValue(), 1 | 4 | 8 | 256);
    EXPECT_EQ(a.intersection(b).rawValue(), 4);
    EXPECT_EQ(a.symmetricDifference(b).rawValue(), 1 | 8 | 256);
    EXPECT_EQ(a.subtracting(b).rawValue(), 1 | 256);
    EXPECT_EQ((a | b), a.unionWith(b));
    EXPECT_EQ((a & b), a.intersection(b));
    EXPECT_EQ((a ^ b), a.symmetricDifference(b));
    EXPECT_EQ((a - b), a.subtracting(b));

    EXPECT_TRUE(DXFPolylineOptions(5).isSubset(a));
    EXPECT_FALSE(a.isSubset(DXFPolylineOptions(5)));
    EXPECT_TRUE(a.isSuperset(DXFPolylineOptions(256)));
    EXPECT_TRUE(a.isDisjoint(DXFPolylineOptions(2 | 8)));
    EXPECT_FALSE(a.isDisjoint(b));
    EXPECT_TRUE(DXFPolylineOptions().isSubset(b));
    EXPECT_NE(a, b);
    EXPECT_EQ(DXFPolylineOptions(), DXFPolylineOptions(0));
}
