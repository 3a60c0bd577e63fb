// Pattern::dataForXMLRepresentation and writeXMLRepresentation: the pattern as
// a pattern XML document, in memory or streamed to a file.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "VeltranePatterns/Source/Pattern/Pattern.hpp"
#include "VeltranePatterns/Source/XML/PatternItemElementWriters.hpp"
#include "VeltranePatterns/Source/XML/PatternXMLNames.hpp"
#include "VeltranePatterns/Source/XML/XMLElementWriter.hpp"

namespace VeltranePatterns {

namespace Names = PatternXMLNames;
namespace fs = std::filesystem;

namespace {

// A whole number, halves away from zero, still written as a double ("120.0").
double rounded(double value) {
    return std::round(value);
}

[[noreturn]] void throwFileError(const char* what, const fs::path& file, int error) {
    throw fs::filesystem_error(what, file, std::error_code(error, std::generic_category()));
}

} // namespace

void Pattern::writeXMLDocument(XMLElementWriter& writer, double scaleFactor, std::optional<double> featureWidth,
                               const std::set<std::string>& disabledLayers) const {
    writer.startElement(Names::root);

    writer.addProperty(Names::xMultiplier, xScaleFactor_);
    writer.addProperty(Names::yMultiplier, yScaleFactor_);
    writer.addProperty(Names::featureWidth, featureWidth.value_or(featureWidth_));
    if (gridSpacing_) {
        writer.addProperty(Names::gridSpacing, rounded(*gridSpacing_ * scaleFactor));
    }
    if (continuous_) {
        writer.addProperty(Names::continuous, std::string());
    }
    if (stayAtEndOfPatternWhenDone_) {
        writer.addProperty(Names::noReturn, std::string());
    }
    if (useSprayingInsteadOfDispensing_) {
        writer.addProperty(Names::enableSpraying, std::string());
    }
    if (canvasWidth_) {
        writer.addProperty(Names::canvasWidth, rounded(*canvasWidth_ * scaleFactor));
    }
    if (canvasHeight_) {
        writer.addProperty(Names::canvasHeight, rounded(*canvasHeight_ * scaleFactor));
    }

    for (const SolutionLayer& layer : solutionLayers_) {
        appendSolutionLayerElement(writer, layer);
    }
    for (const SolutionLayer& layer : solutionLayers_) {
        if (disabledLayers.contains(layer.solutionName())) {
            continue;
        }
        for (const PatternItemPtr& item : layer.patternItems()) {
            if (!appendPatternItemElement(writer, *item, layer.solutionName(), scaleFactor)) {
                std::printf("ERROR: Could not save item VeltranePatterns.%s\n",
                            std::string(patternItemKindName(item->kind())).c_str());
            }
        }
    }
    writer.endElement();
}

std::string Pattern::dataForXMLRepresentation(double scaleFactor, std::optional<double> featureWidth,
                                              const std::set<std::string>& disabledLayers) const {
    XMLElementWriter writer;
    writeXMLDocument(writer, scaleFactor, featureWidth, disabledLayers);
    return writer.finish();
}

void Pattern::writeXMLRepresentation(const fs::path& file, double scaleFactor, std::optional<double> featureWidth,
                                     const std::set<std::string>& disabledLayers) const {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::string name = (folder / (file.filename().string() + ".XXXXXX")).string();
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0) {
        throwFileError("cannot create a temporary file", file, errno);
    }
    const fs::path temporary(name);
    int error = 0;
    try {
        XMLElementWriter writer(descriptor);
        writeXMLDocument(writer, scaleFactor, featureWidth, disabledLayers);
        writer.finish();
        error = writer.writeError();
    } catch (...) {
        ::close(descriptor);
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
    if (error == 0 && ::fsync(descriptor) != 0) {
        error = errno;
    }
    if (::close(descriptor) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), file.c_str()) != 0) {
        std::error_code ignored;
        const int renameError = errno;
        fs::remove(temporary, ignored);
        throwFileError("cannot replace the file", file, renameError);
    }
    if (error != 0) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throwFileError("cannot write the file", file, error);
    }
}

} // namespace VeltranePatterns
