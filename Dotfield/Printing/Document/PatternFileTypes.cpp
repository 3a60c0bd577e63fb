#include "Dotfield/Printing/Document/PatternFileTypes.hpp"

#include <algorithm>
#include <cctype>

namespace Dotfield {

namespace {

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string upperCase(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

std::string globs(const PatternFileType& type) {
    std::string text;
    for (const auto& lower : {true, false}) {
        for (const auto extension : type.extensions) {
            if (!text.empty()) {
                text += ' ';
            }
            text += "*." + (lower ? std::string(extension) : upperCase(extension));
        }
    }
    return text;
}

} // namespace

std::span<const PatternFileType> patternFileTypes() {
    static const std::vector<PatternFileType> types{
        {"Pattern", "application/x-dotfield-pattern", {"pattern", "xml"}},
        {"DXF", "image/vnd.dxf", {"dxf"}},
        {"Gerber",
         "application/x-gerber",
         {"gbr", "ger", "gbx", "pho", "art", "gtl", "gbl", "gto", "gbo", "gts", "gbs", "gtp", "gbp", "gko"}},
    };
    return types;
}

std::optional<std::string_view> patternTypeNameForFile(const std::filesystem::path& file) {
    const std::string extension = file.extension().string();
    if (extension.size() < 2) {
        return std::nullopt;
    }
    const std::string lower = lowerCase(std::string_view(extension).substr(1));
    for (const auto& type : patternFileTypes()) {
        if (std::find(type.extensions.begin(), type.extensions.end(), lower) != type.extensions.end()) {
            return type.typeName;
        }
    }
    return std::nullopt;
}

std::vector<std::string> patternOpenDialogFilters() {
    std::vector<std::string> filters;
    std::string all;
    for (const auto& type : patternFileTypes()) {
        const std::string typeGlobs = globs(type);
        filters.push_back(std::string(type.typeName) + " (" + typeGlobs + ")");
        all += (all.empty() ? "" : " ") + typeGlobs;
    }
    filters.insert(filters.begin(), "All patterns (" + all + ")");
    return filters;
}

std::string patternDesktopMimeTypes() {
    std::string text;
    for (const auto& type : patternFileTypes()) {
        text += std::string(type.mimeType) + ";";
    }
    return text;
}

} // namespace Dotfield
