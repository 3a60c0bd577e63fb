#include "Dotfield/Printing/SolutionWells/SolutionWellError.hpp"

#include <optional>

namespace Dotfield {

SolutionWellError SolutionWellError::wellWithoutPosition(std::string wellName) {
    return SolutionWellError(Kind::wellWithoutPosition, std::move(wellName));
}

std::string SolutionWellError::domain() const {
    return "Dotfield.SolutionWellError";
}

std::string SolutionWellError::caseDescription() const {
    return "wellWithoutPosition(" + wellName_ + ")";
}

ErrorAlertContent SolutionWellError::presentableDescription() const {
    return {
        "OK", std::nullopt, "The solution well \u201c" + wellName_ + "\u201d has no position on its plate.",
        "Its row or column lies outside its plate. Choose one of the plate's rows and columns, or a custom "
        "position, in the Solution Wells window before using the well."};
}

} // namespace Dotfield
