#pragma once
// Where a solution well is: a free deck coordinate, or one well of a 96-well
// or 384-well microtiter plate (column a letter, "A" first; row counted from 1).

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "Dotfield/Platform/Settings/PropertyListValue.hpp"
#include "VeltranePatterns/Source/Geometry/Coordinate.hpp"

namespace Dotfield {

class SolutionLocation {
  public:
    struct CustomLocation {
        VeltranePatterns::Coordinate coordinate;
        friend bool operator==(const CustomLocation&, const CustomLocation&) = default;
    };
    struct MicrotiterPlate96Well {
        std::uint64_t row = 1;
        std::string column;
        friend bool operator==(const MicrotiterPlate96Well&, const MicrotiterPlate96Well&) = default;
    };
    struct MicrotiterPlate384Well {
        std::uint64_t row = 1;
        std::string column;
        friend bool operator==(const MicrotiterPlate384Well&, const MicrotiterPlate384Well&) = default;
    };
    using Case = std::variant<CustomLocation, MicrotiterPlate96Well, MicrotiterPlate384Well>;

    SolutionLocation(Case location) : case_(std::move(location)) {}
    SolutionLocation(CustomLocation location) : case_(location) {}
    SolutionLocation(MicrotiterPlate96Well location) : case_(std::move(location)) {}
    SolutionLocation(MicrotiterPlate384Well location) : case_(std::move(location)) {}

    const Case& location() const { return case_; }

    // {"type": "customlocation", "coordinate": {...}} or
    // {"type": "microtiterplate96well" / "microtiterplate384well", "row": n, "column": text}.
    PropertyListValue::Dictionary dictionaryRepresentation() const;
    static std::optional<SolutionLocation> fromDictionary(const PropertyListValue::Dictionary* dictionary);

    friend bool operator==(const SolutionLocation&, const SolutionLocation&) = default;

  private:
    Case case_;
};

} // namespace Dotfield
