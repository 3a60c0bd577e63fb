#pragma once
// Small helpers shared by the Gerber tests: files written on the fly and a
// readable text for every reported command.

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "VeltranePatterns/Source/Import/Gerber/GerberDrawingCommand.hpp"
#include "Zovudidova/NumberText.hpp"

namespace GerberTestSupport {

inline std::filesystem::path scratchDirectory() {
    // One folder per process: ctest runs the cases of one executable side by side.
    const auto dir = std::filesystem::temp_directory_path() / ("dotfield-gerber-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
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
    const auto* p = aperture.asPolygon();
    return "polygon " + number(p->outerDiameter) + " vertices " + std::to_string(p->numberOfVertices) +
           " rotation " + number(p->rotationInDegrees) + describeHole(p->holeDiameter);
}

inline std::string describe(const VeltranePatterns::GerberDrawingCommand& command) {
    if (const auto* line = command.asLine()) {
        return "line " + describe(line->from) + " to " + describe(line->to) + " with " +
               describe(line->apertureTemplate);
    }
    const auto* flash = command.asFlash();
    return "flash " + describe(flash->location) + " with " + describe(flash->apertureTemplate);
}

} // namespace GerberTestSupport
