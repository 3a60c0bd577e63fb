// The writer's bytes for a large pattern of every item kind are exactly those
// of libxml2's indenting text writer given the same elements and texts: the
// layout pattern files have always had. The reference replays the document as
// parsed back, element by element, through that writer.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlwriter.h>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Items/PatternItems.hpp"
#include "VeltranePatterns/Source/Pattern/Pattern.hpp"

using namespace VeltranePatterns;
using Zovudidova::degrees;

namespace {

const xmlChar* xmlText(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

bool hasElementChildren(const xmlNode* node) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            return true;
        }
    }
    return false;
}

void replay(xmlTextWriter* writer, const xmlNode* element) {
    xmlTextWriterStartElement(writer, element->name);
    if (hasElementChildren(element)) {
        for (const xmlNode* child = element->children; child != nullptr; child = child->next) {
            if (child->type == XML_ELEMENT_NODE) {
                replay(writer, child);
            }
        }
        xmlTextWriterEndElement(writer);
    } else {
        xmlChar* text = xmlNodeGetContent(element);
        xmlTextWriterWriteString(writer, text != nullptr ? text : xmlText(""));
        xmlFree(text);
        xmlTextWriterFullEndElement(writer);
    }
}

// The document's elements and texts written again by libxml2's text writer.
std::string libxml2Layout(const std::string& document) {
    xmlDoc* doc = xmlReadMemory(document.data(), static_cast<int>(document.size()), nullptr, nullptr,
                                XML_PARSE_NONET | XML_PARSE_HUGE);
    EXPECT_NE(doc, nullptr);
    if (doc == nullptr) {
        return {};
    }
    xmlBuffer* buffer = xmlBufferCreate();
    xmlTextWriter* writer = xmlNewTextWriterMemory(buffer, 0);
    xmlTextWriterSetIndent(writer, 1);
    xmlTextWriterSetIndentString(writer, xmlText("  "));
    xmlTextWriterWriteRaw(writer, xmlText("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"));
    replay(writer, xmlDocGetRootElement(doc));
    xmlTextWriterEndDocument(writer);
    xmlFreeTextWriter(writer);
    std::string text(reinterpret_cast<const char*>(xmlBufferContent(buffer)),
                     static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    xmlFreeDoc(doc);
    return text;
}

// A layer name longer than a streamed chunk, with characters to escape and to
// repair all along it, so that one element's text spans chunks.
std::string longLayerName() {
    std::string name;
    while (name.size() < 100000) {
        name += "long<&>\"name caf\xe9 \xc3\xa9\r\x01 ";
    }
    return name;
}

// Every item kind, motion settings on some, over layers whose names need
// escaping or repair (one longer than a streamed chunk, holding a few items),
// with numbers of every form.
Pattern largePattern(std::size_t count) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> place(-5000.0, 5000.0);
    const auto at = [&] { return Coordinate{place(random), std::round(place(random)), place(random) * 1e-9}; };
    std::vector<PatternItemPtr> layers[5];
    for (std::size_t i = 0; i < count; ++i) {
        const std::optional<double> velocity = i % 5 == 0 ? std::optional<double>(place(random)) : std::nullopt;
        const bool sensing = i % 7 == 0;
        PatternItemPtr item;
        switch (i % 8) {
        case 0:
            item = std::make_shared<const Line>(at(), at(), velocity, 1e20, sensing);
            break;
        case 1:
            item = std::make_shared<const Point>(at(), Zovudidova::milliseconds(static_cast<double>(i % 3)), sensing);
            break;
        case 2:
            item = std::make_shared<const Fill>(at(), FillDimensions{place(random), 300, -1},
                                                i % 16 == 2 ? Fill::FillType::horizontal : Fill::FillType::vertical,
                                                velocity);
            break;
        case 3:
            item = std::make_shared<const Arc>(at(), degrees(-90), degrees(place(random)), 250.5,
                                               RotationalDirection::clockwise, velocity, std::nullopt, sensing);
            break;
        case 4:
            item = std::make_shared<const ArcFill>(0.0, 200, at(), degrees(0), degrees(360),
                                                   RotationalDirection::counterClockwise);
            break;
        case 5: {
            const Coordinate c = at();
            item = std::make_shared<const Polygon>(
                std::vector<Coordinate>{c, c + Coordinate{300, 0, 0}, c + Coordinate{150, 200, 0}}, velocity);
            break;
        }
        case 6:
            item = std::make_shared<const PatternPause>(place(random));
            break;
        default:
            item = std::make_shared<const Line>(at(), at());
            break;
        }
        layers[i % 1000 == 999 ? 4 : i % 4].push_back(std::move(item));
    }
    return Pattern(Zovudidova::DistanceUnit::millimeters, 1.25, 0.5, 50, 10.25, 99.5, 0.4, std::nullopt, true, true,
                   true,
                   {SolutionLayer(layers[0], "plain"), SolutionLayer(layers[1], "a<&>\"'\r\n\tb"),
                    SolutionLayer(layers[2], "caf\xe9 \x01 \xc3\xa9"), SolutionLayer(layers[3], ""),
                    SolutionLayer(layers[4], longLayerName())},
                   {}, {});
}

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(PatternXMLLayout, LargePatternOfEveryKindHasLibxml2sLayoutInMemoryAndInTheFile) {
    const Pattern pattern = largePattern(8000);
    const std::string document = pattern.dataForXMLRepresentation(1000, std::nullopt, {});
    ASSERT_GT(document.size(), 500000U) << "several chunks of the streamed file";
    EXPECT_TRUE(document == libxml2Layout(document)) << "the layout differs from libxml2's";

    const auto file = std::filesystem::temp_directory_path() /
                      ("dotfield-xml-layout-" + std::to_string(::getpid()) + ".xml");
    pattern.writeXMLRepresentation(file, 1000, std::nullopt, {});
    EXPECT_TRUE(fileText(file) == document) << "the streamed file differs from the document";
    std::filesystem::remove(file);
}
