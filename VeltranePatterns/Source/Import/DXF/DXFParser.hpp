#pragma once
// Reads a drawing in the ASCII form of DXF, front to back in one pass, and
// reports what it finds through callbacks set before parse(): each layer of
// the LAYER table, each entity of the ENTITIES section, each hatch, and each
// block reference when blockCallback is set (otherwise references are
// expanded into the block's placed entities). Blocks of the BLOCKS section are
// kept by name for the references that follow them. Everything else (the
// header, other tables, other sections, unknown entities) is skipped.
//
// Bad input never stops a parse: unreadable groups and entities are dropped
// and reading goes on to the end of the file. Block references that would
// multiply without bound are cut off at a total of expanded entities and at a
// nesting depth, with one "ERROR: " line on standard output.

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

    // Where a block reference puts a stored block.
    struct DXFInsertion {
        const DXFBlock* block = nullptr; // the stored block; valid until the block table changes
        Coordinate offset;
        ScaleFactors scale;
        Angle rotation = Zovudidova::degrees(0.0);
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

    // Reads the whole file and reports through the callbacks, in file order, on
    // the calling thread. Clears entityCallback and layerCallback when it returns,
    // so a parser is parsed once and dropped.
    void parse();

    const std::unordered_map<std::string, DXFBlock>& blockLookupTable() const { return blockLookupTable_; }

    // The entities that one record gives: none, one, or a placed block. A HATCH
    // goes to hatchCallback and an INSERT to blockCallback when it is set.
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
    std::optional<DXFInsertion> readInsert(std::span<const DXFGroup> groups) const;
    std::optional<DXFHatch> readHatch(std::span<const DXFGroup> groups) const;

private:
    explicit DXFParser(std::unique_ptr<StreamingLineReader> lineReader);

    std::optional<DXFGroup> readGroup();
    std::optional<DXFSection> readSection();
    void readTablesSection();
    void readLayerTable();
    void readEntitiesSection();
    void readBlocksSection();
    void readBlockDefinition();
    void skipUntil(std::int64_t code, std::string_view value);

    void reportPendingEntity(const std::optional<std::string>& name, std::span<const DXFGroup> groups);
    std::vector<DXFEntity> expandInsertion(const DXFInsertion& insertion);
    const std::string& layerNameOr(const std::optional<std::string>& layer) const;

    std::unique_ptr<StreamingLineReader> lineReader_;
    std::unordered_map<std::string, DXFBlock> blockLookupTable_;
};

} // namespace VeltranePatterns
