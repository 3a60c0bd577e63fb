#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"

#include <utility>

#include "VeltranePatterns/Source/Diagnostics/ProgramStop.hpp"
#include "VeltranePatterns/Source/Import/ImportNumbers.hpp"

namespace VeltranePatterns {

namespace {

bool isMarker(const DXFParser::DXFGroup& group, std::string_view value) {
    return group.code == 0 && group.name == value;
}

// Code-0 groups that open a new entity; VERTEX and SEQEND belong to the POLYLINE before them.
bool startsEntity(const DXFParser::DXFGroup& group) {
    return group.code == 0 && group.name != "VERTEX" && group.name != "SEQEND";
}

} // namespace

std::unique_ptr<DXFParser> DXFParser::open(const std::filesystem::path& path) {
    auto reader = StreamingLineReader::open(path);
    if (!reader) {
        return nullptr;
    }
    return std::unique_ptr<DXFParser>(new DXFParser(std::move(reader)));
}

DXFParser::DXFParser(std::unique_ptr<StreamingLineReader> lineReader) : lineReader_(std::move(lineReader)) {}

void DXFParser::parse() {
    if (!layerCallback) {
        stopProgram("You forgot to set the layer callback before parsing");
    }
    if (!entityCallback) {
        stopProgram("You forgot to set the entity callback before parsing");
    }
    while (readSection()) {
    }
    entityCallback = nullptr;
    layerCallback = nullptr;
}

// A code line that is not an integer is dropped and the next line is tried as
// a code, so stray lines shift the reading until it is back in step.
std::optional<DXFParser::DXFGroup> DXFParser::readGroup() {
    while (const auto codeLine = lineReader_->nextLineView()) {
        const auto code = readImportInteger(*codeLine);
        if (!code) {
            continue;
        }
        auto value = lineReader_->nextLine();
        if (!value) {
            return std::nullopt;
        }
        return DXFGroup{*code, std::move(*value)};
    }
    return std::nullopt;
}

std::optional<DXFSection> DXFParser::readSection() {
    while (auto group = readGroup()) {
        if (isMarker(*group, "ENDSEC")) {
            return DXFSection{"-Corrupt-"};
        }
        if (group->code != 2) {
            continue;
        }
        if (group->name == "TABLES") {
            readTablesSection();
        } else if (group->name == "ENTITIES") {
            readEntitiesSection();
        } else if (group->name == "BLOCKS") {
            readBlocksSection();
        } else {
            skipUntil(0, "ENDSEC");
        }
        return DXFSection{std::move(group->name)};
    }
    return std::nullopt;
}

void DXFParser::skipUntil(std::int64_t code, std::string_view value) {
    while (auto group = readGroup()) {
        if (group->code == code && group->name == value) {
            return;
        }
    }
}

void DXFParser::readTablesSection() {
    while (auto group = readGroup()) {
        if (isMarker(*group, "ENDSEC")) {
            return;
        }
        if (group->code == 2) {
            if (group->name == "LAYER") {
                readLayerTable();
            } else {
                skipUntil(0, "ENDTAB");
            }
        }
    }
}

// A record's properties are all groups between its code 2 and the next record's
// code 2, so the code-0 "LAYER" that opens the next record lands in them.
void DXFParser::readLayerTable() {
    std::optional<std::string> pendingName;
    std::map<std::int64_t, std::string> properties;
    const auto reportPendingLayer = [&] {
        if (pendingName && layerCallback) {
            layerCallback(DXFLayer{*pendingName, properties});
        }
    };
    while (true) {
        auto group = readGroup();
        if (!group || isMarker(*group, "ENDTAB")) {
            reportPendingLayer();
            return;
        }
        if (group->code == 2) {
            reportPendingLayer();
            pendingName = std::move(group->name);
            properties.clear();
        } else {
            properties[group->code] = std::move(group->name);
        }
    }
}

void DXFParser::reportPendingEntity(const std::optional<std::string>& name, std::span<const DXFGroup> groups) {
    if (!name) {
        return;
    }
    for (const DXFEntity& entity : readEntity(*name, groups)) {
        if (entityCallback) {
            entityCallback(entity);
        }
    }
}

void DXFParser::readEntitiesSection() {
    std::optional<std::string> pendingName;
    std::vector<DXFGroup> groups;
    while (true) {
        auto group = readGroup();
        if (!group || isMarker(*group, "ENDSEC")) {
            reportPendingEntity(pendingName, groups);
            return;
        }
        if (startsEntity(*group)) {
            reportPendingEntity(pendingName, groups);
            pendingName = std::move(group->name);
            groups.clear();
        } else {
            groups.push_back(std::move(*group));
        }
    }
}

void DXFParser::readBlocksSection() {
    while (auto group = readGroup()) {
        if (isMarker(*group, "ENDSEC")) {
            return;
        }
        if (isMarker(*group, "BLOCK")) {
            readBlockDefinition();
        }
    }
}

void DXFParser::readBlockDefinition() {
    std::optional<std::string> blockName;
    std::vector<DXFEntity> entities;
    std::optional<std::string> pendingName;
    std::vector<DXFGroup> groups;
    expansionLimits.beginBlockDefinition();

    const auto collectPendingEntity = [&] {
        if (!pendingName) {
            return;
        }
        auto read = readEntity(*pendingName, groups);
        if (entities.empty()) {
            entities = std::move(read);
        } else {
            entities.insert(entities.end(), std::make_move_iterator(read.begin()),
                            std::make_move_iterator(read.end()));
        }
    };

    while (true) {
        auto group = readGroup();
        if (!group || isMarker(*group, "ENDBLK")) {
            break;
        }
        if (!blockName && group->code == 2) {
            blockName = std::move(group->name);
        } else if (startsEntity(*group)) {
            collectPendingEntity();
            pendingName = std::move(group->name);
            groups.clear();
        } else {
            groups.push_back(std::move(*group));
        }
    }
    collectPendingEntity();
    const DXFBlock* stored = nullptr;
    if (blockName) {
        DXFBlock& slot = blockLookupTable_[*blockName];
        slot = DXFBlock{*blockName, std::move(entities)};
        stored = &slot;
    }
    expansionLimits.endBlockDefinition(stored);
}

} // namespace VeltranePatterns
