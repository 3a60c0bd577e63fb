#pragma once
// The topography map in force and its default file ("topographymap.csv" in
// the application's folder). The map is read from the file on first use (an
// empty map when the file is missing or unreadable) and replaced only by a
// completed mapping run, an import or a clear, each of which rewrites the
// default file (a failure to write it is not reported). Printing receives the
// map only while correction is on and the map holds points.
//
// Threads: main thread. The map objects it hands out may be read anywhere.

#include <filesystem>
#include <functional>
#include <memory>

namespace Dotfield {

class SurfaceTopographyMap;

class TopographyMapStore {
  public:
    // Where the default file lies; asked on first use (the application
    // folder may not be known before).
    using DefaultFileLocation = std::function<std::filesystem::path()>;

    // The default file in the application's folder.
    TopographyMapStore();
    explicit TopographyMapStore(DefaultFileLocation defaultFile);

    // The map in force, read from the default file on first use.
    const std::shared_ptr<SurfaceTopographyMap>& map();
    // What a new pattern is given: the map in force, or nothing when the
    // correction is off or the map is empty.
    std::shared_ptr<const SurfaceTopographyMap> mapForPrinting(bool shouldCorrect);

    // Puts the map in force and writes it to the default file.
    void adopt(std::shared_ptr<SurfaceTopographyMap> map);
    // An empty map in force, written to the default file.
    void clear();

    // Reads a map file for import; throws std::runtime_error (or the file's
    // std::filesystem::filesystem_error) when it cannot be read or holds no
    // usable line. Nothing changes here: the caller adopts the result.
    static std::shared_ptr<SurfaceTopographyMap> readForImport(const std::filesystem::path& file);
    // Writes the map in force to the file; throws when writing fails.
    void exportTo(const std::filesystem::path& file);

    // Rereads the default file; a failure leaves the map as it is.
    void loadDefaultTopographyMap();
    // Writes the map in force to the default file; a failure is not reported.
    void saveDefaultTopographyMap();

  private:
    // The default file's location, or nothing when it cannot be had.
    std::filesystem::path defaultFile() const;

    DefaultFileLocation defaultFile_;
    std::shared_ptr<SurfaceTopographyMap> map_;
};

} // namespace Dotfield
