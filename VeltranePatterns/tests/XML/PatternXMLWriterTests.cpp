#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

using namespace VeltranePatterns;
using Zovudidova::DistanceUnit;

namespace {

Pattern makePattern(std::vector<SolutionLayer> layers, std::optional<double> gridSpacing = std::nullopt,
                    std::optional<double> canvasWidth = std::nullopt,
                    std::optional<double> canvasHeight = std::nullopt) {
    return Pattern(DistanceUnit::millimeters, 1, 2, 50, gridSpacing, canvasWidth, canvasHeight, std::nullopt,
                   false, false, false, std::move(layers), {}, {});
}

const char* const header = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

} // namespace

TEST(PatternXMLWriter, SettingsLayersAndItemsInOrder) {
    const auto line =
        std::make_shared<const Line>(Coordinate{1.5, 2, 0}, Coordinate{3, 4, 0}, 5.0, std::nullopt, true);
    Pattern pattern(DistanceUnit::millimeters, 1, 2, 50, 10.25, 99.5, 0.4, Pattern::XYPair{7, 7}, true, true,
                    true, {SolutionLayer({line}, "a<&>"), SolutionLayer({line}, "off")}, {1, 1, 1},
                    {2, 2, 2});
    EXPECT_EQ(pattern.dataForXMLRepresentation(10, std::nullopt, {"off"}), std::string(header) + R"(<pattern>
  <xmultiplier>1.0</xmultiplier>
  <ymultiplier>2.0</ymultiplier>
  <featurewidth>50.0</featurewidth>
  <gridspacing>103.0</gridspacing>
  <continuous></continuous>
  <noreturn></noreturn>
  <enablesprayingforpattern></enablesprayingforpattern>
  <canvaswidth>995.0</canvaswidth>
  <canvasheight>4.0</canvasheight>
  <solutionlayer>
    <solutionname>a&lt;&amp;&gt;</solutionname>
  </solutionlayer>
  <solutionlayer>
    <solutionname>off</solutionname>
  </solutionlayer>
  <line>
    <x>15.0</x>
    <y>20.0</y>
    <z>0.0</z>
    <x2>30.0</x2>
    <y2>40.0</y2>
    <z2>0.0</z2>
    <velocity>5.0</velocity>
    <surfacesensing></surfacesensing>
    <solution>a&lt;&amp;&gt;</solution>
  </line>
</pattern>
)");
}

TEST(PatternXMLWriter, ItemElementsOfEveryKind) {
    using Zovudidova::degrees;
    const std::vector<PatternItemPtr> items{
        std::make_shared<const Line>(Coordinate{1.5, 2, 0}, Coordinate{3, 4, 0}),
        std::make_shared<const Point>(Coordinate{1, 2, 3}, Zovudidova::milliseconds(0)),
        std::make_shared<const Point>(Coordinate{1, 2, 3}, Zovudidova::seconds(0.25), true),
        std::make_shared<const Fill>(Coordinate{1, 2, 3}, FillDimensions{-1, 2, 1}, Fill::FillType::vertical),
        std::make_shared<const Arc>(Coordinate{1, 2, 3}, Zovudidova::radians(0), degrees(90), 2,
                                    RotationalDirection::counterClockwise, 1.0, 2.0),
        std::make_shared<const ArcFill>(0.5, 2, Coordinate{1, 2, 3}, degrees(-90), degrees(90),
                                        RotationalDirection::clockwise, std::nullopt, 3.0, true),
        std::make_shared<const Polygon>(std::vector<Coordinate>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0.5}}, 6.0),
        std::make_shared<const PatternPause>(0.0),
    };
    const std::string data = makePattern({SolutionLayer(items, "")}).dataForXMLRepresentation(1000, 30.0, {});
    const std::string expected = R"(  <featurewidth>30.0</featurewidth>
  <solutionlayer>
    <solutionname></solutionname>
  </solutionlayer>
  <line>
    <x>1500.0</x>
    <y>2000.0</y>
    <z>0.0</z>
    <x2>3000.0</x2>
    <y2>4000.0</y2>
    <z2>0.0</z2>
    <solution></solution>
  </line>
  <point>
    <x>1000.0</x>
    <y>2000.0</y>
    <z>3000.0</z>
    <solution></solution>
  </point>
  <point>
    <x>1000.0</x>
    <y>2000.0</y>
    <z>3000.0</z>
    <duration>250.0</duration>
    <surfacesensing></surfacesensing>
    <solution></solution>
  </point>
  <vertfill>
    <x>1000.0</x>
    <y>2000.0</y>
    <z>3000.0</z>
    <x2>0.0</x2>
    <y2>4000.0</y2>
    <z2>4000.0</z2>
    <solution></solution>
  </vertfill>
  <arc>
    <x>1000.0</x>
    <y>2000.0</y>
    <z>3000.0</z>
    <counterclockwise></counterclockwise>
    <startangle>0.0</startangle>
    <endangle>90.0</endangle>
    <radius>2000.0</radius>
    <velocity>1.0</velocity>
    <acceleration>2.0</acceleration>
    <solution></solution>
  </arc>
  <arcfill>
    <x>1000.0</x>
    <y>2000.0</y>
    <z>3000.0</z>
    <insideradius>500.0</insideradius>
    <radius>2000.0</radius>
    <startangle>-90.0</startangle>
    <endangle>90.0</endangle>
    <clockwise></clockwise>
    <acceleration>3.0</acceleration>
    <surfacesensing></surfacesensing>
    <solution></solution>
  </arcfill>
  <polygon>
    <vertex>
      <x>0.0</x>
      <y>0.0</y>
      <z>0.0</z>
    </vertex>
    <vertex>
      <x>1000.0</x>
      <y>0.0</y>
      <z>0.0</z>
    </vertex>
    <vertex>
      <x>0.0</x>
      <y>1000.0</y>
      <z>500.0</z>
    </vertex>
    <velocity>6.0</velocity>
    <solution></solution>
  </polygon>
  <pause>
    <duration>0.0</duration>
    <solution></solution>
  </pause>
</pattern>
)";
    const std::size_t from = data.find("  <featurewidth>");
    ASSERT_NE(from, std::string::npos) << data;
    EXPECT_EQ(data.substr(from), expected);
    // Without the argument the pattern's own feature width is written.
    EXPECT_NE(makePattern({})
                  .dataForXMLRepresentation(1, std::nullopt, {})
                  .find("<featurewidth>50.0</featurewidth>"),
              std::string::npos);
}

// Reading a written pattern gives the same items, layers and settings.
TEST(PatternXMLWriter, ReadWriteReadRoundTripKeepsEveryKind) {
    const std::string original = R"(<pattern>
  <xmultiplier>1.25</xmultiplier><ymultiplier>0.5</ymultiplier><featurewidth>40</featurewidth>
  <gridspacing>200</gridspacing><canvaswidth>5000</canvaswidth><canvasheight>3000</canvasheight>
  <continuous/><noreturn/><enablesprayingforpattern/>
  <line><x>0</x><y>1</y><z>2</z><x2>3</x2><y2>4</y2><z2>5</z2><velocity>6</velocity><acceleration>7</acceleration>
    <surfacesensing/><solution>B</solution></line>
  <point><x>1e-06</x><y>2</y><z>3</z><duration>250</duration><surfacesensing/><solution>A</solution></point>
  <horizfill><x>0</x><y>0</y><x2>-100</x2><y2>50</y2><z2>3</z2><velocity>1</velocity><solution>B</solution></horizfill>
  <vertfill><x>5</x><y>5</y><x2>10</x2><y2>100</y2><solution>A</solution></vertfill>
  <arc><x>1</x><y>2</y><startangle>350</startangle><endangle>10</endangle><radius>10</radius><counterclockwise/>
    <acceleration>2</acceleration><solution>B</solution></arc>
  <arcfill><x>1</x><y>2</y><z>4</z><insideradius>2</insideradius><radius>10</radius><startangle>0</startangle>
    <endangle>90</endangle><surfacesensing/><solution>B</solution></arcfill>
  <polygon><vertex><x>0</x><y>0</y></vertex><vertex><x>2</x><y>0</y></vertex><vertex><x>2</x><y>1</y></vertex>
    <vertex><x>1</x><y>1</y></vertex><vertex><x>1</x><y>2</y><z>1</z></vertex><vertex><x>0</x><y>2</y></vertex>
    <velocity>9</velocity><surfacesensing/><solution>A</solution></polygon>
  <pause><duration>1.5</duration><solution>C</solution></pause>
  <pause><solution></solution></pause>
</pattern>)";
    const std::shared_ptr<Pattern> first = patternFromXMLData(original);
    ASSERT_TRUE(first);
    const std::string written = first->dataForXMLRepresentation(1, std::nullopt, {});
    const std::shared_ptr<Pattern> second = patternFromXMLData(written);
    ASSERT_TRUE(second);

    EXPECT_EQ(second->xScaleFactor(), 1.25);
    EXPECT_EQ(second->yScaleFactor(), 0.5);
    EXPECT_EQ(second->featureWidth(), 40);
    EXPECT_EQ(second->gridSpacing(), 200.0);
    EXPECT_EQ(second->canvasWidth(), 5000.0);
    EXPECT_EQ(second->canvasHeight(), 3000.0);
    EXPECT_TRUE(second->continuous());
    EXPECT_TRUE(second->stayAtEndOfPatternWhenDone());
    EXPECT_TRUE(second->useSprayingInsteadOfDispensing());
    EXPECT_EQ(second->minimumLimits(), first->minimumLimits());
    EXPECT_EQ(second->maximumLimits(), first->maximumLimits());
    // Writing the read-back pattern again gives the same bytes.
    EXPECT_EQ(second->dataForXMLRepresentation(1, std::nullopt, {}), written);

    ASSERT_EQ(second->solutionLayers().size(), first->solutionLayers().size());
    std::size_t kinds = 0;
    for (std::size_t l = 0; l < first->solutionLayers().size(); ++l) {
        const SolutionLayer& a = first->solutionLayers()[l];
        const SolutionLayer& b = second->solutionLayers()[l];
        EXPECT_EQ(b.solutionName(), a.solutionName());
        ASSERT_EQ(b.patternItems().size(), a.patternItems().size());
        for (std::size_t i = 0; i < a.patternItems().size(); ++i) {
            const PatternItem& x = *a.patternItems()[i];
            const PatternItem& y = *b.patternItems()[i];
            EXPECT_EQ(y.kind(), x.kind());
            EXPECT_EQ(y.limits(), x.limits());
            EXPECT_EQ(y.startingCoordinate(), x.startingCoordinate());
            EXPECT_EQ(y.endingCoordinate(), x.endingCoordinate());
            EXPECT_EQ(y.velocity(), x.velocity());
            EXPECT_EQ(y.acceleration(), x.acceleration());
            EXPECT_EQ(y.surfaceSensing(), x.surfaceSensing());
            EXPECT_EQ(y.itemLengthForFeatureWidth(1, 1), x.itemLengthForFeatureWidth(1, 1));
            kinds |= 1u << static_cast<unsigned>(x.kind());
        }
    }
    EXPECT_EQ(kinds, 0x7fu) << "every item kind takes part";
    EXPECT_EQ(patternItemAs<PatternPause>(second->solutionLayers()[2].patternItems()[0])->duration(), 1.5);
}

// Layer names from drawings may hold single-byte text or control characters;
// the written file still reads back, with every well-formed name unchanged.
TEST(PatternXMLWriter, NamesThatXMLCannotHoldStillReadBack) {
    const auto point = std::make_shared<const Point>(Coordinate{1, 2, 0}, Zovudidova::milliseconds(1));
    const std::vector<std::pair<std::string, std::string>> names{
        {"ok \xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "ok \xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
        {"caf\xe9", "caf\xc3\xa9"},
        {"a\x01"
         "b\tc",
         "a\xef\xbf\xbd"
         "b\tc"},
        {std::string("x\0y", 3), "x\xef\xbf\xbdy"},
        {"\xed\xa0\x80 \xc0\xaf", "\xc3\xad\xc2\xa0\xc2\x80 \xc3\x80\xc2\xaf"},
        {"\xef\xbf\xbe", "\xef\xbf\xbd"},
    };
    for (const auto& [name, expected] : names) {
        const std::string data =
            makePattern({SolutionLayer({point}, name)}).dataForXMLRepresentation(1, {}, {});
        const std::shared_ptr<Pattern> read = patternFromXMLData(data);
        ASSERT_TRUE(read) << data;
        ASSERT_EQ(read->solutionLayers().size(), 1u);
        EXPECT_EQ(read->solutionLayers()[0].solutionName(), expected);
    }
}
