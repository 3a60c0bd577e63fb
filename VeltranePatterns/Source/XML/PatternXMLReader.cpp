#include "VeltranePatterns/Source/XML/PatternXMLReader.hpp"

#include <cmath>
#include <memory>
#include <optional>
#include <unordered_map>

#include "VeltranePatterns/Source/Pattern/PatternItemArrayContainer.hpp"
#include "VeltranePatterns/Source/XML/PatternItemElementReaders.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLNames.hpp"
#include "VeltranePatterns/Source/XML/XMLNodes.hpp"
#include "VeltranePatterns/Source/XML/XMLRootChildStream.hpp"
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
            {Names::xMultiplier, &PatternSettings::xMultiplier},
            {Names::yMultiplier, &PatternSettings::yMultiplier},
            {Names::featureWidth, &PatternSettings::featureWidth},
            {Names::gridSpacing, &PatternSettings::gridSpacing},
            {Names::canvasWidth, &PatternSettings::canvasWidth},
            {Names::canvasHeight, &PatternSettings::canvasHeight},
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

// Items collected per layer name, layers in the order in which they are
// first declared ("solutionlayer") or named by an item. A declared layer that
// no item names is kept empty: the writer declares every layer, so one
// without items (or a disabled one) reads back as it was written.
class LayerCollector {
  public:
    void declare(const std::string& layerName) { container(layerName); }

    void collect(const std::string& layerName, PatternItemPtr item) {
        limits_.include(item->limits());
        container(layerName).items.push_back(std::move(item));
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
    PatternItemArrayContainer& container(const std::string& layerName) {
        auto found = containers_.find(layerName);
        if (found == containers_.end()) {
            layerNames_.push_back(layerName);
            found = containers_.emplace(layerName, std::make_shared<PatternItemArrayContainer>()).first;
        }
        return *found->second;
    }

    RunningLimits limits_;
    std::vector<std::string> layerNames_;
    std::unordered_map<std::string, std::shared_ptr<PatternItemArrayContainer>> containers_;
};

// The text of the last "solutionname" child of a "solutionlayer", or none.
std::optional<std::string> declaredLayerName(const xmlNode* declaration) {
    std::optional<std::string> layerName;
    std::string buffer;
    for (const xmlNode* child = declaration->children; child != nullptr; child = child->next) {
        if (xmlElementName(child, buffer) == Names::solutionName) {
            layerName = xmlTextContent(child);
        }
    }
    return layerName;
}

// Reads the settings and items of the root's children as they stream past.
class PatternBuilder {
  public:
    void visit(const xmlNode* child) {
        const std::string_view name = xmlElementName(child, buffer_);
        if (name == Names::solutionLayer) {
            if (const std::optional<std::string> layerName = declaredLayerName(child)) {
                collector_.declare(*layerName);
            }
            return;
        }
        if (name.empty() || settings_.read(name, child) || !isPatternItemElementName(name)) {
            return;
        }
        ReadPatternItems read = readPatternItemElement(name, child);
        for (PatternItemPtr& item : read.items) {
            collector_.collect(read.solution, std::move(item));
        }
    }

    std::shared_ptr<Pattern> pattern() {
        return std::make_shared<Pattern>(
            Zovudidova::DistanceUnit::microns, settings_.xMultiplier.value_or(1.0),
            settings_.yMultiplier.value_or(1.0), settings_.featureWidth.value_or(50.0),
            settings_.gridSpacing.value_or(100.0), settings_.canvasWidth, settings_.canvasHeight,
            std::nullopt, settings_.continuous, settings_.spraying, settings_.noReturn, collector_.layers(),
            collector_.limits().minimum(), collector_.limits().maximum());
    }

  private:
    PatternSettings settings_;
    LayerCollector collector_;
    std::string buffer_;
};

template <typename Input> std::shared_ptr<Pattern> readPattern(const Input& input) {
    PatternBuilder builder;
    if (!visitXMLRootChildren(input, [&builder](const xmlNode* child) { builder.visit(child); })) {
        return nullptr;
    }
    return builder.pattern();
}

} // namespace

std::shared_ptr<Pattern> patternFromXMLData(std::string_view bytes) {
    return readPattern(bytes);
}

std::shared_ptr<Pattern> patternFromXMLFile(const std::filesystem::path& url) {
    return readPattern(url);
}

} // namespace VeltranePatterns
