#pragma once
// Small helpers shared by the Gerber tests: files written on the fly and a
// readable text for every reported command.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

#include "VeltranePatterns/Source/Import/Gerber/GerberDrawingCommand.hpp"
#include "Zovudidova/NumberText.hpp"

namespace GerberTestSupport {

// One folder per process (ctest runs the cases of one executable side by side),
// removed again when the process ends.
class ScratchDirectory {
public:
    ScratchDirectory() {
        const char* output = std::getenv("DOTFIELD_TEST_OUTPUT");
        const std::filesystem::path base = output != nullptr ? output : std::filesystem::temp_directory_path();
        path_ = base / ("dotfield-gerber-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline const std::filesystem::path& scratchDirectory() {
    static const ScratchDirectory directory;
    return directory.path();
}

inline std::filesystem::path writeFile(const std::string& name, const std::string& bytes) {
    const auto path = scratchDirectory() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

inline std::string number(double value) { return Zovudidova::formatDouble(value); }

inline std::string describe(const VeltranePatterns::Coordinate& c) {
    return "(" + number(c.x) + ", " + number(c.y) + ", " + number(c.z) + ")";
}

inline std::string describeHole(const std::optional<double>& hole) {
    return hole ? " hole " + number(*hole) : "";
}

inline std::string describe(const VeltranePatterns::GerberApertureTemplate& aperture) {
    if (const auto* c = aperture.asCircle()) {
        return "circle " + number(c->diameter) + describeHole(c->holeDiameter);
    }
    if (const auto* r = aperture.asRectangle()) {
        return "rectangle " + number(r->width) + " x " + number(r->height) + describeHole(r->holeDiameter);
    }
    if (const auto* o = aperture.asObround()) {
        return "obround " + number(o->width) + " x " + number(o->height) + describeHole(o->holeDiameter);
    }
    if (const auto* m = aperture.asMacro()) {
        if (m->failure) {
            return "macro " + m->name + " failing: " + *m->failure;
        }
        return "macro " + m->name + " " + std::to_string(m->discs.size()) + " discs " +
               std::to_string(m->outlines.size()) + " outlines";
    }
    const auto* p = aperture.asPolygon();
    return "polygon " + number(p->outerDiameter) + " vertices " + std::to_string(p->numberOfVertices) +
           " rotation " + number(p->rotationInDegrees) + describeHole(p->holeDiameter);
}

inline std::string describe(const VeltranePatterns::GerberDrawingCommand& command) {
    if (const auto* line = command.asLine()) {
        return "line " + describe(line->from) + " to " + describe(line->to) + " with " +
               describe(line->apertureTemplate);
    }
    if (const auto* arc = command.asArc()) {
        return std::string(arc->clockwise ? "clockwise" : "counter-clockwise") + " arc " + describe(arc->from) +
               " to " + describe(arc->to) + " around " + describe(arc->center) + " with " +
               describe(arc->apertureTemplate);
    }
    if (const auto* region = command.asRegion()) {
        std::string text = "region";
        for (const auto& point : region->outline) {
            text += " " + describe(point);
        }
        return text;
    }
    const auto* flash = command.asFlash();
    return "flash " + describe(flash->location) + " with " + describe(flash->apertureTemplate);
}

} // namespace GerberTestSupport
