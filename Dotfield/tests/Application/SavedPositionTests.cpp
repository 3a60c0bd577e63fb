#include "Dotfield/Application/SavedPosition.hpp"

#include <gtest/gtest.h>

namespace Dotfield {
namespace {

using Dictionary = PropertyListValue::Dictionary;

TEST(SavedPositionTest, DictionaryFormRoundTrips) {
    const SavedPosition position{"Untitled", {1.5, -2, 3}};
    const Dictionary dictionary = position.dictionaryRepresentation();
    EXPECT_EQ(dictionary, (Dictionary{{"name", "Untitled"},
                                      {"coordinate", Dictionary{{"x", 1.5}, {"y", -2.0}, {"z", 3.0}}}}));
    EXPECT_EQ(SavedPosition::fromDictionary(&dictionary), position);
}

TEST(SavedPositionTest, DecodesOnlyATextNameAndAFullCoordinate) {
    const Dictionary coordinate{{"x", 1.0}, {"y", 2.0}, {"z", 3.0}};
    const std::vector<std::pair<Dictionary, bool>> cases{
        {{{"name", ""}, {"coordinate", coordinate}, {"note", "extra keys are ignored"}}, true},
        {{{"name", 7}, {"coordinate", coordinate}}, false},
        {{{"coordinate", coordinate}}, false},
        {{{"name", "a"}}, false},
        {{{"name", "a"}, {"coordinate", Dictionary{{"x", 1.0}, {"y", 2.0}}}}, false},
        {{{"name", "a"}, {"coordinate", "(1, 2, 3)"}}, false},
    };
    for (const auto& [dictionary, decodes] : cases) {
        EXPECT_EQ(SavedPosition::fromDictionary(&dictionary).has_value(), decodes);
    }
    EXPECT_EQ(SavedPosition::fromDictionary(nullptr), std::nullopt);
}

} // namespace
} // namespace Dotfield
