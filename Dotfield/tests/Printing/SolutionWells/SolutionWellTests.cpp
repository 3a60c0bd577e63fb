#include "Dotfield/Printing/SolutionWells/SolutionWell.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace Dotfield {
namespace {

using Dictionary = PropertyListValue::Dictionary;
using VeltranePatterns::Coordinate;

SolutionWell plainWell() {
    return SolutionWell{"Buffer",
                        SolutionLocation::CustomLocation{{100, 200, 300}},
                        0,
                        SolutionReloadQuantity::Unlimited{},
                        Zovudidova::milliseconds(1500),
                        2,
                        std::nullopt,
                        std::nullopt,
                        Zovudidova::seconds(4.0)};
}

TEST(SolutionWellTest, EncodesExactlyItsKeys) {
    SolutionWell well = plainWell();
    const Dictionary plain = well.dictionaryRepresentation();
    EXPECT_EQ(plain, (Dictionary{
                         {"name", "Buffer"},
                         {"location",
                          Dictionary{{"type", "customlocation"},
                                     {"coordinate", Dictionary{{"x", 100.0}, {"y", 200.0}, {"z", 300.0}}}}},
                         {"plateNumber", 0},
                         {"reloadQuantity", Dictionary{{"type", "unlimited"}}},
                         {"rinseCycles", 2},
                         {"reloadTimeInSeconds", 1.5},
                         {"secondsToEmpty", 4.0},
                     }));
    EXPECT_EQ(SolutionWell::fromDictionary(&plain), well);

    well.location = SolutionLocation::MicrotiterPlate384Well{16, "P"};
    well.reloadQuantity = SolutionReloadQuantity::Distance{2500.5};
    well.rinseWell = "Water";
    well.wasteWell = "Waste";
    const Dictionary full = well.dictionaryRepresentation();
    EXPECT_EQ(full.at("location"), PropertyListValue(Dictionary{
                                       {"type", "microtiterplate384well"}, {"row", 16}, {"column", "P"}}));
    EXPECT_EQ(full.at("reloadQuantity"),
              PropertyListValue(Dictionary{{"type", "distance"}, {"value", 2500.5}}));
    EXPECT_EQ(full.at("rinseWell"), PropertyListValue("Water"));
    EXPECT_EQ(SolutionWell::fromDictionary(&full), well);

    well.location = SolutionLocation::MicrotiterPlate96Well{1, "A"};
    well.reloadQuantity = SolutionReloadQuantity::Spots{25};
    const Dictionary spots = well.dictionaryRepresentation();
    EXPECT_EQ(spots.at("reloadQuantity"), PropertyListValue(Dictionary{{"type", "spots"}, {"value", 25}}));
    EXPECT_EQ(SolutionWell::fromDictionary(&spots), well);
}

TEST(SolutionWellTest, DecodingRefusesMissingOrWrongEntries) {
    const Dictionary good = plainWell().dictionaryRepresentation();
    const std::vector<std::pair<std::string, std::function<void(Dictionary&)>>> damages{
        {"no name", [](Dictionary& d) { d.erase("name"); }},
        {"name not text", [](Dictionary& d) { d["name"] = 5; }},
        {"location not a dictionary", [](Dictionary& d) { d["location"] = "customlocation"; }},
        {"custom location without coordinate",
         [](Dictionary& d) {
             d["location"] = Dictionary{{"type", "customlocation"}};
         }},
        {"unknown location type",
         [](Dictionary& d) {
             d["location"] = Dictionary{{"type", "CustomLocation"}};
         }},
        {"plate well without column",
         [](Dictionary& d) {
             d["location"] = Dictionary{{"type", "microtiterplate96well"}, {"row", 1}};
         }},
        {"plate well with negative row",
         [](Dictionary& d) {
             d["location"] = Dictionary{{"type", "microtiterplate96well"}, {"row", -1}, {"column", "A"}};
         }},
        {"plate number -1", [](Dictionary& d) { d["plateNumber"] = -1; }},
        {"plate number 1.5", [](Dictionary& d) { d["plateNumber"] = 1.5; }},
        {"no rinse cycles", [](Dictionary& d) { d.erase("rinseCycles"); }},
        {"reload time as text", [](Dictionary& d) { d["reloadTimeInSeconds"] = "1.5"; }},
        {"no seconds to empty", [](Dictionary& d) { d.erase("secondsToEmpty"); }},
        {"capitalised reload type",
         [](Dictionary& d) {
             d["reloadQuantity"] = Dictionary{{"type", "Distance"}, {"value", 1.0}};
         }},
        {"distance without value",
         [](Dictionary& d) {
             d["reloadQuantity"] = Dictionary{{"type", "distance"}};
         }},
        {"spots 2.5",
         [](Dictionary& d) {
             d["reloadQuantity"] = Dictionary{{"type", "spots"}, {"value", 2.5}};
         }},
    };
    for (const auto& [name, damage] : damages) {
        SCOPED_TRACE(name);
        Dictionary damaged = good;
        damage(damaged);
        EXPECT_EQ(SolutionWell::fromDictionary(&damaged), std::nullopt);
    }
    EXPECT_EQ(SolutionWell::fromDictionary(nullptr), std::nullopt);
}

TEST(SolutionWellTest, OptionalEntriesOfTheWrongKindAreLeftUnset) {
    Dictionary dictionary = plainWell().dictionaryRepresentation();
    dictionary["rinseWell"] = 3;
    dictionary["wasteWell"] = "Waste";
    dictionary["reloadQuantity"] = Dictionary{{"type", "unlimited"}, {"value", 3}};
    dictionary["plateNumber"] = 2.0;
    const auto well = SolutionWell::fromDictionary(&dictionary);
    ASSERT_TRUE(well);
    EXPECT_EQ(well->rinseWell, std::nullopt);
    EXPECT_EQ(well->wasteWell, "Waste");
    EXPECT_EQ(well->reloadQuantity, SolutionReloadQuantity(SolutionReloadQuantity::Unlimited{}));
    EXPECT_EQ(well->plateNumber, 2U);
}

TEST(SolutionWellTest, PlateWellsLieAtTheirPitchFromTheA1Well) {
    const Coordinate a1(50000, 20000, 3000);
    EXPECT_EQ(SolutionWell::wellCoordinate(SolutionLocation::MicrotiterPlate96Well{2, "C"}, a1),
              Coordinate(32000, 29000, 3000));
    EXPECT_EQ(SolutionWell::wellCoordinate(SolutionLocation::MicrotiterPlate384Well{2, "C"}, a1),
              Coordinate(41000, 24500, 3000));
    EXPECT_EQ(SolutionWell::wellCoordinate(SolutionLocation::CustomLocation{{1, 2, 3}}, a1),
              Coordinate(1, 2, 3));
    EXPECT_EQ(SolutionWell::wellCoordinate(SolutionLocation::MicrotiterPlate384Well{24, "P"}, a1),
              Coordinate(50000 - 15 * 4500, 20000 + 23 * 4500, 3000))
        << "the last well of the plate";
    const std::vector<SolutionLocation> undefinedLocations{
        SolutionLocation::MicrotiterPlate96Well{0, "A"}, SolutionLocation::MicrotiterPlate96Well{1, ""},
        SolutionLocation::MicrotiterPlate96Well{1, "1"},
        // Beyond the plate: a row or a letter past its last, or lower case.
        SolutionLocation::MicrotiterPlate96Well{13, "A"}, SolutionLocation::MicrotiterPlate96Well{1, "I"},
        SolutionLocation::MicrotiterPlate96Well{1, "c"}, SolutionLocation::MicrotiterPlate384Well{25, "A"},
        SolutionLocation::MicrotiterPlate384Well{1, "Q"}};
    for (const auto& undefined : undefinedLocations) {
        EXPECT_EQ(SolutionWell::wellCoordinate(undefined, a1), std::nullopt);
    }
}

} // namespace
} // namespace Dotfield
