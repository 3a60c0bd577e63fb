#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <unordered_map>

#include "VeltranePatterns/Source/Pattern/PatternItemArrayContainer.hpp"
#include "VeltranePatterns/Source/XML/PatternItemElementReaders.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLNames.hpp"
#include "VeltranePatterns/Source/XML/XMLDocument.hpp"
#include "Zovudidova/NumberText.hpp"

namespace VeltranePatterns {

namespace Names = PatternXMLNames;

namespace {

// Minimum and maximum of every axis over the items read so far. Values that
// are not a number are left out, so one item with a "nan" coordinate does not
// turn the pattern's limits into NaN (against which every range test passes).
class RunningLimits {
public:
    void include(const Limits& limits) {
        fold(minimum_.x, limits.minX, true);
        fold(maximum_.x, limits.maxX, false);
        fold(minimum_.y, limits.minY, true);
        fold(maximum_.y, limits.maxY, false);
        fold(minimum_.z, limits.minZ, true);
        fold(maximum_.z, limits.maxZ, false);
    }

    Pattern::Triple minimum() const { return resolved(minimum_); }
    Pattern::Triple maximum() const { return resolved(maximum_); }

private:
    struct OptionalTriple {
        std::optional<double> x, y, z;
    };

    static void fold(std::optional<double>& running, double value, bool takeSmaller) {
        if (std::isnan(value)) {
            return;
        }
        if (!running || (takeSmaller ? value < *running : value > *running)) {
            running = value;
        }
    }

    static Pattern::Triple resolved(const OptionalTriple& t) {
        return {t.x.value_or(0.0), t.y.value_or(0.0), t.z.value_or(0.0)};
    }

    OptionalTriple minimum_;
    OptionalTriple maximum_;
};

struct PatternSettings {
    std::optional<double> xMultiplier, yMultiplier, featureWidth, gridSpacing, canvasWidth, canvasHeight;
    bool continuous = false;
    bool noReturn = false;
    bool spraying = false;

    // Stores the setting of a root child; false when the name is not a setting.
    bool read(std::string_view name, const xmlNode* element) {
        struct Entry {
            const char* name;
            std::optional<double> PatternSettings::*field;
        };
        static constexpr Entry numbers[] = {
            {Names::xMultiplier, &PatternSettings::xMultiplier}, {Names::yMultiplier, &PatternSettings::yMultiplier},
            {Names::featureWidth, &PatternSettings::featureWidth}, {Names::gridSpacing, &PatternSettings::gridSpacing},
            {Names::canvasWidth, &PatternSettings::canvasWidth}, {Names::canvasHeight, &PatternSettings::canvasHeight},
        };
        for (const Entry& entry : numbers) {
            if (name == entry.name) {
                this->*entry.field = Zovudidova::parseDouble(xmlTextContent(element));
                return true;
            }
        }
        if (name == Names::continuous) {
            continuous = true;
        } else if (name == Names::noReturn) {
            noReturn = true;
        } else if (name == Names::enableSpraying) {
            spraying = true;
        } else {
            return false;
        }
        return true;
    }
};

// Items collected per layer name, layers in order of the first item naming them.
class LayerCollector {
public:
    void collect(const std::string& layerName, PatternItemPtr item) {
        limits_.include(item->limits());
        auto found = containers_.find(layerName);
        if (found == containers_.end()) {
            layerNames_.push_back(layerName);
            containers_.emplace(layerName, std::make_shared<PatternItemArrayContainer>(
                                               std::vector<PatternItemPtr>{std::move(item)}));
        } else {
            found->second->items.push_back(std::move(item));
        }
    }

    std::vector<SolutionLayer> layers() {
        std::vector<SolutionLayer> layers;
        layers.reserve(layerNames_.size());
        for (const std::string& name : layerNames_) {
            layers.emplace_back(std::move(containers_.at(name)->items), name);
        }
        return layers;
    }

    const RunningLimits& limits() const { return limits_; }

private:
    RunningLimits limits_;
    std::vector<std::string> layerNames_;
    std::unordered_map<std::string, std::shared_ptr<PatternItemArrayContainer>> containers_;
};

// The file's bytes, or nothing when it cannot be opened or read (a directory,
// a file without permission, a read error).
std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size < (std::uintmax_t{1} << 31)) {
        bytes.reserve(static_cast<std::size_t>(size));
    }
    char chunk[1 << 16];
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        bytes.append(chunk, count);
    }
    if (std::ferror(file.get()) != 0) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace

std::shared_ptr<Pattern> patternFromXMLData(std::string_view bytes) {
    const XMLDocumentPtr document = parseXMLDocument(bytes);
    if (!document) {
        return nullptr;
    }
    const xmlNode* root = xmlDocGetRootElement(document.get());
    if (root == nullptr) {
        return nullptr;
    }

    PatternSettings settings;
    LayerCollector collector;
    std::string buffer;
    for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
        const std::string_view name = xmlElementName(child, buffer);
        if (name.empty() || settings.read(name, child) || !isPatternItemElementName(name)) {
            continue;
        }
        ReadPatternItems read = readPatternItemElement(name, child);
        for (PatternItemPtr& item : read.items) {
            collector.collect(read.solution, std::move(item));
        }
    }

    return std::make_shared<Pattern>(Zovudidova::DistanceUnit::microns, settings.xMultiplier.value_or(1.0),
                                     settings.yMultiplier.value_or(1.0), settings.featureWidth.value_or(50.0),
                                     settings.gridSpacing.value_or(100.0), settings.canvasWidth,
                                     settings.canvasHeight, std::nullopt, settings.continuous, settings.spraying,
                                     settings.noReturn, collector.layers(), collector.limits().minimum(),
                                     collector.limits().maximum());
}

std::shared_ptr<Pattern> patternFromXMLFile(const std::filesystem::path& url) {
    const std::optional<std::string> bytes = readWholeFile(url);
    if (!bytes) {
        return nullptr;
    }
    return patternFromXMLData(*bytes);
}

} // namespace VeltranePatterns
