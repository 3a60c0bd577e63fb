#pragma once
// Reads a drawing in the ASCII form of DXF, front to back in one pass, and
// reports what it finds through callbacks set before parse(): each layer of
// the LAYER table, each entity of the ENTITIES section, each hatch, and each
// block reference when blockCallback is set (otherwise references are
// expanded into the block's placed entities and hatches). Blocks of the BLOCKS
// section are kept by name; references between blocks are resolved when the
// section ends, so a block may refer to one defined after it. A block's
// hatches are placed only through the references that insert it. The header's
// drawing unit ($INSUNITS) is kept; everything else (the rest of the header,
// other tables, other sections, unknown entities) is skipped.
//
// Bad input never stops a parse: unreadable groups and entities are dropped
// and reading goes on to the end of the file. Block references that would
// multiply without bound are cut off at a total of expanded entities and at a
// nesting depth, with one "ERROR: " line on standard output.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFEntity.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFExpansionLimits.hpp"
#include "VeltranePatterns/Source/Import/DXF/DXFRecords.hpp"
#include "VeltranePatterns/Source/Import/StreamingLineReader.hpp"

namespace VeltranePatterns {

class DXFParser {
public:
    // One group of the file: the code line as an integer and the value line as read.
    struct DXFGroup {
        std::int64_t code = 0;
        std::string name;
    };

    // Where a block reference (INSERT or MINSERT) puts a block: once, or as an
    // array of columns and rows whose spacings run along the block's rotated axes.
    struct DXFInsertion {
        std::string blockName;
        Coordinate offset;
        ScaleFactors scale;
        Angle rotation = Zovudidova::degrees(0.0);
        std::int64_t columns = 1;
        std::int64_t rows = 1;
        double columnSpacing = 0.0;
        double rowSpacing = 0.0;

        // The number of copies, saturating instead of overflowing.
        std::size_t copies() const;
        // The insertion point of the copy in the column and row.
        Coordinate copyOffset(std::int64_t column, std::int64_t row) const;
    };

    using LayerCallback = std::function<void(const DXFLayer&)>;
    using EntityCallback = std::function<void(const DXFEntity&)>;
    using BlockCallback = std::function<void(const DXFBlock& block, const Coordinate& offset,
                                             const ScaleFactors& scale, const Angle& rotation)>;
    using HatchCallback = std::function<void(const DXFHatch&)>;

    // A parser over the file at the path, or nothing when there is no file there.
    static std::unique_ptr<DXFParser> open(const std::filesystem::path& path);

    DXFParser(const DXFParser&) = delete;
    DXFParser& operator=(const DXFParser&) = delete;

    // Layer of an entity whose record names none.
    std::string defaultLayerName = "No Layer";

    // Mandatory: parse() stops the program when either is unset.
    LayerCallback layerCallback;
    EntityCallback entityCallback;
    // Optional.
    BlockCallback blockCallback;
    HatchCallback hatchCallback;

    // Caps against files whose block references multiply.
    DXFExpansionLimits expansionLimits;

    // The header's $INSUNITS code, when the file gives one.
    std::optional<std::int64_t> drawingUnits() const { return drawingUnits_; }
    // False when no section was found: the file is no DXF in text form.
    bool foundSection() const { return foundSection_; }
    // SPLINE records that gave no entity (fewer than two fit points).
    std::size_t unreadSplineCount() const { return unreadSplineCount_; }

    // Records of a kind that has no printable form (texts, leaders, images),
    // read in the ENTITIES section or in block definitions, by kind in the
    // order of unprintedKindNames.
    static constexpr std::array<std::string_view, 4> unprintedKindNames{"TEXT", "MTEXT", "LEADER", "IMAGE"};
    const std::array<std::size_t, 4>& unprintedKindCounts() const { return unprintedKindCounts_; }

    // Values of number groups (coordinates, sizes, angles) that are no DXF
    // number, such as "0,5" written with a decimal comma: what they belong to
    // cannot be read.
    struct UnreadableNumbers {
        std::size_t count = 0;
        std::size_t firstLine = 0; // counted from 1
        std::string firstValue;
    };
    const UnreadableNumbers& unreadableNumbers() const { return unreadableNumbers_; }

    // Reads the whole file and reports through the callbacks, in file order, on
    // the calling thread. Clears entityCallback and layerCallback when it returns,
    // so a parser is parsed once and dropped.
    void parse();

    const std::unordered_map<std::string, DXFBlock>& blockLookupTable() const { return blockLookupTable_; }

    // The entities that one record gives: none, one, or a placed block. A HATCH
    // (and a placed block's hatches) goes to hatchCallback and an INSERT to
    // blockCallback when it is set.
    std::vector<DXFEntity> readEntity(std::string_view name, std::span<const DXFGroup> groups);

    // Readers of single records; nothing when a group they need is missing.
    std::optional<DXFEntity> readPolyline(std::span<const DXFGroup> groups) const;
    std::optional<DXFEntity> readLWPolyline(std::span<const DXFGroup> groups) const;
    std::optional<DXFEntity> readLine(std::span<const DXFGroup> groups) const;
    std::optional<DXFEntity> readPoint(std::span<const DXFGroup> groups) const;
    std::optional<DXFEntity> readCircle(std::span<const DXFGroup> groups) const;
    std::optional<DXFEntity> readArc(std::span<const DXFGroup> groups) const;
    std::optional<DXFEntity> readEllipse(std::span<const DXFGroup> groups) const;
    std::optional<DXFEntity> readSpline(std::span<const DXFGroup> groups) const;
    std::optional<DXFEntity> readMultiline(std::span<const DXFGroup> groups) const;
    // isSolid: corners in the order 1, 2, 4, 3 (SOLID); else in file order (3DFACE).
    std::optional<DXFEntity> readSolid(std::span<const DXFGroup> groups, bool isSolid) const;
    // Nothing without a block name.
    std::optional<DXFInsertion> readInsert(std::span<const DXFGroup> groups) const;
    std::optional<DXFHatch> readHatch(std::span<const DXFGroup> groups) const;

private:
    // What a block definition holds, in file order: entities, hatches and
    // references to other blocks, still unresolved.
    using BlockElement = std::variant<DXFEntity, DXFHatch, DXFInsertion>;
    struct BlockDefinition {
        std::vector<BlockElement> elements;
        enum class State { unresolved, resolving, resolved } state = State::unresolved;
        std::size_t depth = 1;     // 1 for a block without references
        std::size_t nextIndex = 0; // where the search for unresolved references goes on
    };

    explicit DXFParser(std::unique_ptr<StreamingLineReader> lineReader);

    std::optional<DXFGroup> readGroup();
    std::optional<DXFSection> readSection();
    void readHeaderSection();
    void readTablesSection();
    void readLayerTable();
    void readEntitiesSection();
    void readBlocksSection();
    void readBlockDefinition();
    void skipUntil(std::int64_t code, std::string_view value);

    void reportPendingEntity(const std::optional<std::string>& name, std::span<const DXFGroup> groups);
    // Resolves the block and every block it refers to, without recursion, so
    // that a long chain of references cannot exhaust the stack.
    void resolveBlock(const std::string& name);
    // Builds the resolved block of a definition whose references are resolved.
    void buildBlock(const std::string& name, BlockDefinition& definition);
    // Places every copy of the referenced (resolved) block, entity by entity
    // and hatch by hatch; nothing when the block is unknown or a cap is reached.
    void placeInsertion(const DXFInsertion& insertion, const std::function<void(DXFEntity)>& onEntity,
                        const std::function<void(DXFHatch)>& onHatch);
    const std::string& layerNameOr(const std::optional<std::string>& layer) const;

    std::unique_ptr<StreamingLineReader> lineReader_;
    std::unordered_map<std::string, BlockDefinition> blockDefinitions_;
    // Names of the blocks defined in the current BLOCKS section, in file order.
    std::vector<std::string> definitionOrder_;
    std::unordered_map<std::string, DXFBlock> blockLookupTable_;
    // Notes the value of a group whose code holds a number when it is no number.
    void checkNumberValue(const DXFGroup& group);

    std::optional<std::int64_t> drawingUnits_;
    bool foundSection_ = false;
    std::size_t unreadSplineCount_ = 0;
    std::array<std::size_t, 4> unprintedKindCounts_{};
    UnreadableNumbers unreadableNumbers_;
    std::size_t lineNumber_ = 0;
};

} // namespace VeltranePatterns
