#pragma once
// Small helpers shared by the DXF tests: fixture paths, temporary files and DXF
// text built from groups.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"

namespace DXFTestSupport {

inline std::filesystem::path fixture(const std::string& name) { return std::filesystem::path(DXF_FIXTURE_DIR) / name; }

// A file in a folder of its own for the running test, under the build's test output.
inline std::filesystem::path writeTemporaryFile(const std::string& name, const std::string& bytes) {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    const char* output = std::getenv("DOTFIELD_TEST_OUTPUT");
    const std::filesystem::path root = output != nullptr ? std::filesystem::path(output)
                                                         : std::filesystem::temp_directory_path() / "dotfield-tests";
    const auto dir = root / "dxf" / (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::create_directories(dir);
    const auto path = dir / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

using Groups = std::vector<std::pair<int, std::string>>;

// The two lines of every group, code then value.
inline std::string dxfText(const Groups& groups) {
    std::string text;
    for (const auto& [code, value] : groups) {
        text += std::to_string(code) + "\n" + value + "\n";
    }
    return text;
}

// A file of one ENTITIES section holding the groups.
inline std::string entitiesSection(const Groups& groups) {
    Groups all{{0, "SECTION"}, {2, "ENTITIES"}};
    all.insert(all.end(), groups.begin(), groups.end());
    all.push_back({0, "ENDSEC"});
    all.push_back({0, "EOF"});
    return dxfText(all);
}

// Everything one parse reports, in order.
struct ParseRecord {
    struct Insertion {
        std::string blockName;
        VeltranePatterns::Coordinate offset;
        VeltranePatterns::ScaleFactors scale;
        double rotationDegrees = 0.0;
    };
    std::vector<std::string> events; // "layer <name>", "entity <layer>", "hatch <layer>", "block <name>"
    std::vector<VeltranePatterns::DXFLayer> layers;
    std::vector<VeltranePatterns::DXFEntity> entities;
    std::vector<VeltranePatterns::DXFHatch> hatches;
    std::vector<Insertion> insertions;
};

struct ParseOptions {
    bool withBlockCallback = false;
    bool withHatchCallback = true;
    std::size_t maximumExpandedEntities = VeltranePatterns::DXFExpansionLimits::defaultMaximumExpandedEntities;
};

// Parses the file with every callback recording.
inline ParseRecord parseRecording(const std::filesystem::path& path, ParseOptions options = {}) {
    using namespace VeltranePatterns;
    ParseRecord record;
    auto parser = DXFParser::open(path);
    EXPECT_NE(parser, nullptr);
    if (!parser) {
        return record;
    }
    parser->expansionLimits.maximumExpandedEntities = options.maximumExpandedEntities;
    parser->layerCallback = [&](const DXFLayer& layer) {
        record.events.push_back("layer " + layer.name);
        record.layers.push_back(layer);
    };
    parser->entityCallback = [&](const DXFEntity& entity) {
        record.events.push_back("entity " + entity.layerName());
        record.entities.push_back(entity);
    };
    if (options.withHatchCallback) {
        parser->hatchCallback = [&](const DXFHatch& hatch) {
            record.events.push_back("hatch " + hatch.layerName);
            record.hatches.push_back(hatch);
        };
    }
    if (options.withBlockCallback) {
        parser->blockCallback = [&](const DXFBlock& block, const Coordinate& offset, const ScaleFactors& scale,
                                    const Angle& rotation) {
            record.events.push_back("block " + block.name);
            record.insertions.push_back({block.name, offset, scale, rotation.value(Zovudidova::AngleUnit::degrees)});
        };
    }
    parser->parse();
    return record;
}

inline ParseRecord parseText(const std::string& text, ParseOptions options = {}) {
    return parseRecording(writeTemporaryFile("drawing.dxf", text), options);
}

} // namespace DXFTestSupport
