#include "Dotfield/Calibration/TopographyMapping/TopographyMapStore.hpp"

#include <stdexcept>
#include <utility>

#include "Dotfield/Instrument/HelperFunctions/ApplicationSupportDirectory.hpp"
#include "Dotfield/Robotics/SurfaceTopographyMap.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

TopographyMapStore::TopographyMapStore()
    : TopographyMapStore([] { return applicationSupportDirectory(SurfaceTopographyMap::fileName); }) {}

TopographyMapStore::TopographyMapStore(DefaultFileLocation defaultFile) : defaultFile_(std::move(defaultFile)) {}

std::filesystem::path TopographyMapStore::defaultFile() const {
    try {
        return defaultFile_();
    } catch (const std::exception& error) {
        Diagnostics::printWithContext(std::string("No folder for the topography map: ") + error.what());
        return {};
    }
}

const std::shared_ptr<SurfaceTopographyMap>& TopographyMapStore::map() {
    if (!map_) {
        map_ = std::make_shared<SurfaceTopographyMap>();
        loadDefaultTopographyMap();
    }
    return map_;
}

std::shared_ptr<const SurfaceTopographyMap> TopographyMapStore::mapForPrinting(bool shouldCorrect) {
    if (!shouldCorrect || map()->isEmpty()) {
        return nullptr;
    }
    return map_;
}

void TopographyMapStore::adopt(std::shared_ptr<SurfaceTopographyMap> map) {
    map_ = std::move(map);
    saveDefaultTopographyMap();
}

void TopographyMapStore::clear() { adopt(std::make_shared<SurfaceTopographyMap>()); }

std::shared_ptr<SurfaceTopographyMap> TopographyMapStore::readForImport(const std::filesystem::path& file) {
    auto map = std::make_shared<SurfaceTopographyMap>(file);
    if (map->isEmpty()) {
        // Adopting it would empty the map in force and its default file.
        throw Diagnostics::logAndReturnError(std::runtime_error("The file holds no topography point"));
    }
    return map;
}

void TopographyMapStore::exportTo(const std::filesystem::path& file) { map()->write(file); }

void TopographyMapStore::loadDefaultTopographyMap() {
    const auto file = defaultFile();
    if (file.empty()) {
        return;
    }
    try {
        map_ = std::make_shared<SurfaceTopographyMap>(file);
    } catch (const std::exception& error) {
        Diagnostics::printWithContext(std::string("The default topography map was not read: ") + error.what());
        if (!map_) {
            map_ = std::make_shared<SurfaceTopographyMap>();
        }
    }
}

void TopographyMapStore::saveDefaultTopographyMap() {
    const auto file = defaultFile();
    if (file.empty()) {
        return;
    }
    try {
        map()->write(file);
    } catch (const std::exception& error) {
        Diagnostics::printWithContext(std::string("The default topography map was not written: ") +
                                           error.what());
    }
}

} // namespace Dotfield
