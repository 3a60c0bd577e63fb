#include "Dotfield/Platform/Settings/PropertyListFormat.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace Dotfield {
namespace {

using Dictionary = PropertyListValue::Dictionary;
using Array = PropertyListValue::Array;

TEST(PropertyListFormatTest, EveryKindRoundTripsWithItsType) {
    const Dictionary values{
        {"flag", true},
        {"off", false},
        {"integer", std::int64_t{-9223372036854775807LL - 1}},
        {"real", 0.1},
        {"whole real", 2.0},
        {"tiny", 1e-300},
        {"infinite", -std::numeric_limits<double>::infinity()},
        {"text", "a < b & \"c\" > d"},
        {"carriage return", "line\r\n"},
        {"control characters", std::string("bell\x07 nul", 9) + std::string(1, '\0')},
        {"invalid UTF-8", "\xFF\xFE"},
        {"unicode", "\xC2\xB5m \xE2\x80\x94 \xF0\x9F\x98\x80"},
        {"data", PropertyListValue::Data{0, 1, 2, 255, 254}},
        {"empty data", PropertyListValue::Data{}},
        {"list", Array{1, 2.5, "x", Array{}, Dictionary{}}},
        {"nested", Dictionary{{"x", 1.0}, {"y", Dictionary{{"deep", Array{true}}}}}},
        {"", "empty key"},
        {"\x01key", "odd key"},
    };
    const std::string text = writePropertyList(values);
    EXPECT_EQ(readPropertyList(text), values);
    EXPECT_NE(text.find("<real>0.1</real>"), std::string::npos) << "locale-independent shortest form";
    EXPECT_NE(text.find("<real>2</real>"), std::string::npos);

    const Dictionary notANumber{{"nan", std::nan("")}};
    const auto read = readPropertyList(writePropertyList(notANumber));
    EXPECT_TRUE(std::isnan(*read.at("nan").as<double>()));
}

TEST(PropertyListFormatTest, DamagedOrForeignTextIsRejectedWithAReason) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {"empty", ""},
        {"not XML", "x = 1"},
        {"truncated", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><integer>1</integer>"},
        {"wrong root", "<settings><dict/></settings>"},
        {"no dict", "<plist><array/></plist>"},
        {"two dicts", "<plist><dict/><dict/></plist>"},
        {"key without value", "<plist><dict><key>a</key></dict></plist>"},
        {"value without key", "<plist><dict><integer>1</integer><integer>2</integer></dict></plist>"},
        {"bad integer", "<plist><dict><key>a</key><integer>1.5</integer></dict></plist>"},
        {"integer overflow",
         "<plist><dict><key>a</key><integer>99999999999999999999</integer></dict></plist>"},
        {"bad real", "<plist><dict><key>a</key><real>1,5</real></dict></plist>"},
        {"real overflow", "<plist><dict><key>a</key><real>1e999</real></dict></plist>"},
        {"bad data", "<plist><dict><key>a</key><data>!!!!</data></dict></plist>"},
        {"unknown element", "<plist><dict><key>a</key><date>2020</date></dict></plist>"},
        {"element in text", "<plist><dict><key>a</key><string>x<b/>y</string></dict></plist>"},
        {"stray text", "<plist><dict>junk<key>a</key><true/></dict></plist>"},
        {"entity expansion",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
         "<plist><dict><key>k</key><string>&b;&b;&b;</string></dict></plist>"},
        {"external entity",
         "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
         "<plist><dict><key>k</key><string>&e;</string></dict></plist>"},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        EXPECT_THROW(readPropertyList(text), PropertyListFormatError);
    }
}

TEST(PropertyListFormatTest, DeepNestingIsRefusedWithoutCrashing) {
    std::string text = "<plist><dict><key>a</key>";
    for (int i = 0; i < 100000; ++i) {
        text += "<array>";
    }
    EXPECT_THROW(readPropertyList(text), PropertyListFormatError);
}

} // namespace
} // namespace Dotfield
