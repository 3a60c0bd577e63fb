#include <chrono>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

using namespace VeltranePatterns;
using Zovudidova::degrees;
using Zovudidova::milliseconds;

namespace {

std::filesystem::path fixture(const char* name) {
    return std::filesystem::path(PATTERN_XML_FIXTURE_DIR) / name;
}

std::shared_ptr<Pattern> readText(const std::string& rootChildren) {
    return patternFromXMLData("<?xml version=\"1.0\"?><pattern>" + rootChildren + "</pattern>");
}

std::vector<PatternItemKind> kindsOf(const SolutionLayer& layer) {
    std::vector<PatternItemKind> kinds;
    for (const PatternItemPtr& item : layer.patternItems()) {
        kinds.push_back(item->kind());
    }
    return kinds;
}

} // namespace

TEST(PatternXMLReader, FixtureWithSettingsLayersAndEveryRule) {
    const std::shared_ptr<Pattern> pattern = patternFromXMLFile(fixture("settings-and-layers.xml"));
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->lengthUnit(), Zovudidova::DistanceUnit::microns);
    EXPECT_EQ(pattern->xScaleFactor(), 1.0) << "the last occurrence wins, also when it does not convert";
    EXPECT_EQ(pattern->yScaleFactor(), 1.5);
    EXPECT_EQ(pattern->featureWidth(), 30.0);
    EXPECT_EQ(pattern->gridSpacing(), 100.0) << "\" 20\" does not convert";
    EXPECT_EQ(pattern->canvasWidth(), 1000.0);
    EXPECT_FALSE(pattern->canvasHeight());
    EXPECT_FALSE(pattern->canvasUpperLeft());
    EXPECT_TRUE(pattern->continuous()) << "a flag is its element's presence";
    EXPECT_TRUE(pattern->stayAtEndOfPatternWhenDone());
    EXPECT_FALSE(pattern->useSprayingInsteadOfDispensing());

    // The declared layer comes first, empty; then the layers in the order of
    // the first item naming them.
    ASSERT_EQ(pattern->solutionLayers().size(), 3u);
    EXPECT_EQ(pattern->solutionLayers()[0].solutionName(), "Declared");
    EXPECT_TRUE(pattern->solutionLayers()[0].patternItems().empty());
    const std::vector<SolutionLayer> layers(pattern->solutionLayers().begin() + 1, pattern->solutionLayers().end());
    EXPECT_EQ(layers[0].solutionName(), "B");
    EXPECT_EQ(layers[1].solutionName(), "A");
    // The line without y2, the capitalised Point and the pauses without child
    // nodes (white space does not count) are skipped.
    EXPECT_EQ(kindsOf(layers[0]),
              (std::vector<PatternItemKind>{PatternItemKind::line, PatternItemKind::pause,
                                            PatternItemKind::arc, PatternItemKind::fill}));
    EXPECT_EQ(kindsOf(layers[1]),
              (std::vector<PatternItemKind>{PatternItemKind::point, PatternItemKind::polygon,
                                            PatternItemKind::polygon}));

    const auto point = patternItemAs<Point>(layers[1].patternItems()[0]);
    EXPECT_EQ(point->location(), (Coordinate{150, 20, 5}));
    EXPECT_EQ(point->duration(), milliseconds(250));
    EXPECT_FALSE(point->velocity());

    EXPECT_EQ(patternItemAs<PatternPause>(layers[0].patternItems()[1])->duration(), 0.0);

    const auto arc = patternItemAs<Arc>(layers[0].patternItems()[2]);
    EXPECT_EQ(arc->direction(), RotationalDirection::clockwise) << "the later direction flag wins";
    EXPECT_EQ(arc->centerPoint(), (Coordinate{1, 2, 0}));
    EXPECT_EQ(arc->endAngle().unit(), Zovudidova::AngleUnit::degrees);
    EXPECT_EQ(arc->endAngle(), degrees(90));

    const auto fill = patternItemAs<Fill>(layers[0].patternItems()[3]);
    EXPECT_EQ(fill->dimensions(), (FillDimensions{-100, 50, 3}));
    EXPECT_EQ(fill->fillType(), Fill::FillType::horizontal);
    EXPECT_TRUE(fill->surfaceSensing());

    const auto first = patternItemAs<Polygon>(layers[1].patternItems()[1]);
    const auto second = patternItemAs<Polygon>(layers[1].patternItems()[2]);
    EXPECT_EQ(first->points(), (std::vector<Coordinate>{{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0}}));
    EXPECT_EQ(second->points(), (std::vector<Coordinate>{{1, 1, 0}, {1, 2, 0}, {0, 2, 0}, {0, 0, 0}}));
    for (const auto& polygon : {first, second}) {
        EXPECT_TRUE(polygon->surfaceSensing());
        EXPECT_EQ(polygon->velocity(), 4.0);
    }

    // The pause's zero limits count: the minimum z is 0, although the point is at 5.
    EXPECT_EQ(pattern->minimumLimits(), (Pattern::Triple{-100, -8, 0}));
    EXPECT_EQ(pattern->maximumLimits(), (Pattern::Triple{150, 50, 5}));
}

TEST(PatternXMLReader, DefaultsAndUndeclaredLayers) {
    const std::shared_ptr<Pattern> empty = readText("");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->xScaleFactor(), 1.0);
    EXPECT_EQ(empty->yScaleFactor(), 1.0);
    EXPECT_EQ(empty->featureWidth(), 50.0);
    EXPECT_EQ(empty->gridSpacing(), 100.0);
    EXPECT_FALSE(empty->canvasWidth());
    EXPECT_FALSE(empty->continuous());
    EXPECT_TRUE(empty->solutionLayers().empty());
    EXPECT_EQ(empty->minimumLimits(), Pattern::Triple{});
    EXPECT_EQ(empty->maximumLimits(), Pattern::Triple{});

    // A declared layer that no item names is kept, empty, in its place;
    // items without a solution share the empty name.
    const std::shared_ptr<Pattern> undeclared =
        readText("<solutionlayer><solutionname>X</solutionname></solutionlayer>"
                 "<point><x>1</x><y>1</y></point><pause><!-- -->5</pause><gridspacing>abc</gridspacing>");
    ASSERT_EQ(undeclared->solutionLayers().size(), 2u);
    EXPECT_EQ(undeclared->solutionLayers()[0].solutionName(), "X");
    EXPECT_TRUE(undeclared->solutionLayers()[0].patternItems().empty());
    EXPECT_EQ(undeclared->solutionLayers()[1].solutionName(), "");
    EXPECT_EQ(undeclared->solutionLayers()[1].patternItems().size(), 2u);
    EXPECT_EQ(undeclared->gridSpacing(), 100.0);

    // A pause's limits are all zero, and they count.
    const std::shared_ptr<Pattern> paused =
        readText("<line><x>100</x><y>5</y><x2>200</x2><y2>7</y2><z>3</z><z2>4</z2></line><pause><duration>2</"
                 "duration></pause>");
    EXPECT_EQ(paused->minimumLimits(), Pattern::Triple{});
    EXPECT_EQ(paused->maximumLimits(), (Pattern::Triple{200, 7, 4}));

    // Names are kept as written, white space included.
    const std::shared_ptr<Pattern> spaced =
        readText("<point><x>1</x><y>1</y><solution> A </solution></point>");
    EXPECT_EQ(spaced->solutionLayers()[0].solutionName(), " A ");
}

TEST(PatternXMLReader, NoPatternForUnreadableOrMalformedFiles) {
    EXPECT_FALSE(patternFromXMLFile(fixture("does-not-exist.xml")));
    EXPECT_FALSE(patternFromXMLFile(fixture(".")));
    EXPECT_FALSE(patternFromXMLData(""));
    EXPECT_FALSE(patternFromXMLData("<pattern><point></pattern>"));
    EXPECT_FALSE(patternFromXMLData("<?xml version=\"1.0\"?>"));
    EXPECT_FALSE(patternFromXMLData(std::string("\0\1\2\3", 4)));
    // Items before a fault are not enough: the document as a whole must be well-formed.
    EXPECT_FALSE(patternFromXMLData("<pattern><point><x>1</x><y>1</y></point><line>"));
    EXPECT_FALSE(patternFromXMLData("<pattern><point><x>1</x><y>1</y></point></pattern><more/>"));
    EXPECT_TRUE(patternFromXMLData("<anything/>"));
    EXPECT_TRUE(patternFromXMLData("<?xml version=\"1.0\"?><!-- c --><pattern/><!-- after -->"));
}

// Bytes that do not convert from the declared encoding are reported by libxml2
// outside the parser's own error channel; reading still prints nothing.
TEST(PatternXMLReader, BadFilesPrintNothing) {
    const std::string badEncoding =
        "<?xml version=\"1.0\" encoding=\"utf-7\"?>\n<pattern>\n<\x9dmul/></pattern>";
    for (const std::string& bytes : {badEncoding, std::string("<pattern><point></pattern>")}) {
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        EXPECT_FALSE(patternFromXMLData(bytes));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

TEST(PatternXMLReader, EntitiesAreNeitherExpandedNorLoaded) {
    const auto start = std::chrono::steady_clock::now();
    const std::shared_ptr<Pattern> laughs = patternFromXMLFile(fixture("billion-laughs.xml"));
    if (laughs) {
        for (const SolutionLayer& layer : laughs->solutionLayers()) {
            EXPECT_LT(layer.solutionName().size(), 1000u);
            for (const PatternItemPtr& item : layer.patternItems()) {
                EXPECT_EQ(item->kind(), PatternItemKind::point)
                    << "the line's x2 is an entity and stays empty";
            }
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    const std::shared_ptr<Pattern> external = patternFromXMLFile(fixture("external-entity.xml"));
    ASSERT_TRUE(external);
    ASSERT_EQ(external->solutionLayers().size(), 1u);
    EXPECT_EQ(external->solutionLayers()[0].solutionName(), "");
    EXPECT_EQ(external->solutionLayers()[0].patternItems().size(), 2u);
}

TEST(PatternXMLReader, NonFiniteNumbersDoNotPoisonTheLimits) {
    const std::shared_ptr<Pattern> pattern =
        readText("<line><x>nan</x><y>5</y><x2>10</x2><y2>7</y2></line>"
                 "<point><x>-3</x><y>nan</y></point><point><x>inf</x><y>1</y></point>");
    ASSERT_TRUE(pattern);
    ASSERT_EQ(pattern->solutionLayers()[0].patternItems().size(), 3u) << "the items are kept";
    EXPECT_EQ(pattern->minimumLimits(), (Pattern::Triple{-3, 1, 0}));
    EXPECT_EQ(pattern->maximumLimits().y, 7);
    EXPECT_EQ(pattern->maximumLimits().x, std::numeric_limits<double>::infinity())
        << "an item at infinity is outside every range";
}
