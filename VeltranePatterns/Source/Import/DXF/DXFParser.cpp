#include "VeltranePatterns/Source/Import/DXF/DXFParser.hpp"

#include <algorithm>
#include <utility>

#include "Diagnostics/ProgramStop.hpp"
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
        Diagnostics::stopProgram("You forgot to set the layer callback before parsing");
    }
    if (!entityCallback) {
        Diagnostics::stopProgram("You forgot to set the entity callback before parsing");
    }
    while (readSection()) {
    }
    entityCallback = nullptr;
    layerCallback = nullptr;
}

// A code line that is not an integer is dropped and the next line is tried as
// a code, so stray lines shift the reading until it is back in step. Blanks
// after the code are accepted, as writers pad codes to a fixed width.
std::optional<DXFParser::DXFGroup> DXFParser::readGroup() {
    while (auto codeLine = lineReader_->nextLineView()) {
        ++lineNumber_;
        std::size_t end = codeLine->size();
        while (end > 0 && ((*codeLine)[end - 1] == ' ' || (*codeLine)[end - 1] == '\t')) {
            --end;
        }
        const auto code = readImportInteger(codeLine->substr(0, end));
        if (!code) {
            continue;
        }
        auto value = lineReader_->nextLine();
        if (!value) {
            return std::nullopt;
        }
        ++lineNumber_;
        DXFGroup group{*code, std::move(*value)};
        checkNumberValue(group);
        return group;
    }
    return std::nullopt;
}

namespace {

// Group codes whose values are floating-point numbers in every section.
bool holdsNumber(std::int64_t code) {
    return (code >= 10 && code <= 59) || (code >= 110 && code <= 149) || (code >= 210 && code <= 239) ||
           (code >= 1010 && code <= 1059);
}

// A cheap screen run on every such value: the characters of a decimal number
// only. Blanks, commas and letters other than an exponent's fail it.
bool looksLikeNumber(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
    });
}

} // namespace

void DXFParser::checkNumberValue(const DXFGroup& group) {
    if (!holdsNumber(group.code) || looksLikeNumber(group.name)) {
        return;
    }
    if (unreadableNumbers_.count++ == 0) {
        unreadableNumbers_.firstLine = lineNumber_;
        unreadableNumbers_.firstValue = group.name.substr(0, 40);
    }
}

std::optional<DXFSection> DXFParser::readSection() {
    while (auto group = readGroup()) {
        if (isMarker(*group, "ENDSEC")) {
            return DXFSection{"-Corrupt-"};
        }
        if (group->code != 2) {
            continue;
        }
        foundSection_ = true;
        if (group->name == "HEADER") {
            readHeaderSection();
        } else if (group->name == "TABLES") {
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

// Header variables are a code-9 name followed by their value groups; only the
// drawing unit is kept.
void DXFParser::readHeaderSection() {
    bool inUnits = false;
    while (auto group = readGroup()) {
        if (isMarker(*group, "ENDSEC")) {
            return;
        }
        if (group->code == 9) {
            inUnits = group->name == "$INSUNITS";
        } else if (inUnits && group->code == 70) {
            if (const auto units = readImportInteger(group->name)) {
                drawingUnits_ = *units;
            }
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
    if (*name == "INSERT" || *name == "MINSERT") {
        // Entity by entity and hatch by hatch, in the order of the block.
        if (const auto insertion = readInsert(groups)) {
            placeInsertion(
                *insertion,
                [this](DXFEntity entity) {
                    if (entityCallback) {
                        entityCallback(entity);
                    }
                },
                [this](DXFHatch hatch) {
                    if (hatchCallback) {
                        hatchCallback(hatch);
                    }
                });
        }
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
            break;
        }
        if (isMarker(*group, "BLOCK")) {
            readBlockDefinition();
        }
    }
    // Every block is known now: resolve the references between them, in the
    // order the blocks were defined.
    for (const std::string& name : definitionOrder_) {
        resolveBlock(name);
    }
    definitionOrder_.clear();
}

// The block's entities, hatches and references are kept as read; references are
// resolved once the BLOCKS section has ended.
void DXFParser::readBlockDefinition() {
    std::optional<std::string> blockName;
    std::vector<BlockElement> elements;
    std::optional<std::string> pendingName;
    std::vector<DXFGroup> groups;

    const auto collectPendingEntity = [&] {
        if (!pendingName) {
            return;
        }
        if (*pendingName == "INSERT" || *pendingName == "MINSERT") {
            if (auto insertion = readInsert(groups)) {
                elements.emplace_back(std::move(*insertion));
            }
        } else if (*pendingName == "HATCH") {
            if (auto hatch = readHatch(groups)) {
                elements.emplace_back(std::move(*hatch));
            }
        } else {
            for (DXFEntity& entity : readEntity(*pendingName, groups)) {
                elements.emplace_back(std::move(entity));
            }
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
    if (blockName) {
        blockLookupTable_.erase(*blockName);
        blockDefinitions_[*blockName] = BlockDefinition{std::move(elements)};
        definitionOrder_.push_back(*blockName);
    }
}

void DXFParser::resolveBlock(const std::string& name) {
    using State = BlockDefinition::State;
    std::vector<std::pair<const std::string*, BlockDefinition*>> stack;
    const auto entry = blockDefinitions_.find(name);
    if (entry == blockDefinitions_.end() || entry->second.state != State::unresolved) {
        return;
    }
    stack.emplace_back(&entry->first, &entry->second);
    entry->second.state = State::resolving;
    while (!stack.empty()) {
        BlockDefinition& definition = *stack.back().second;
        // The next reference to a block that is not resolved yet goes first.
        bool descended = false;
        while (definition.nextIndex < definition.elements.size() && !descended) {
            const auto* insertion = std::get_if<DXFInsertion>(&definition.elements[definition.nextIndex]);
            ++definition.nextIndex;
            if (insertion == nullptr) {
                continue;
            }
            const auto target = blockDefinitions_.find(insertion->blockName);
            if (target != blockDefinitions_.end() && target->second.state == State::unresolved) {
                target->second.state = State::resolving;
                stack.emplace_back(&target->first, &target->second);
                descended = true;
            }
        }
        if (descended) {
            continue;
        }
        buildBlock(*stack.back().first, definition);
        stack.pop_back();
    }
}

void DXFParser::buildBlock(const std::string& name, BlockDefinition& definition) {
    using State = BlockDefinition::State;
    DXFBlock block{name, {}, {}};
    std::size_t depth = 1;
    for (BlockElement& element : definition.elements) {
        if (auto* entity = std::get_if<DXFEntity>(&element)) {
            block.entities.push_back(std::move(*entity));
        } else if (auto* hatch = std::get_if<DXFHatch>(&element)) {
            block.hatches.push_back(std::move(*hatch));
        } else {
            const auto& insertion = std::get<DXFInsertion>(element);
            const auto target = blockDefinitions_.find(insertion.blockName);
            if (target == blockDefinitions_.end()) {
                continue;
            }
            // A block still being resolved refers back to this one: a cycle, as deep as any cap.
            const std::size_t targetDepth = target->second.state == State::resolved
                                                ? target->second.depth
                                                : expansionLimits.maximumNestingDepth;
            if (!expansionLimits.admitDepth(targetDepth + 1)) {
                continue;
            }
            depth = std::max(depth, targetDepth + 1);
            placeInsertion(
                insertion, [&block](DXFEntity placed) { block.entities.push_back(std::move(placed)); },
                [&block](DXFHatch placed) { block.hatches.push_back(std::move(placed)); });
        }
    }
    definition.elements.clear();
    definition.elements.shrink_to_fit();
    definition.depth = depth;
    definition.state = State::resolved;
    blockLookupTable_.insert_or_assign(name, std::move(block));
}

} // namespace VeltranePatterns
