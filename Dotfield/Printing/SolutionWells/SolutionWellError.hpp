#pragma once
// A solution well that a loading, emptying or rinsing sequence cannot use: a
// plate well whose row or column lies outside its plate has no place on the
// deck, and going there would send the dispenser to the end of its travel.
// The sequence refuses it, naming it, before anything moves.

#include <string>

#include "Dotfield/Instrument/Errors/PresentableError.hpp"

namespace Dotfield {

class SolutionWellError final : public PresentableError {
  public:
    enum class Kind { wellWithoutPosition };

    static SolutionWellError wellWithoutPosition(std::string wellName);

    Kind kind() const { return kind_; }
    const std::string& wellName() const { return wellName_; }

    int code() const override { return static_cast<int>(kind_); }
    std::string domain() const override;
    std::string caseDescription() const override;
    // "The solution well “name” has no position on its plate." with OK alone.
    ErrorAlertContent presentableDescription() const override;

  private:
    SolutionWellError(Kind kind, std::string wellName) : kind_(kind), wellName_(std::move(wellName)) {}

    Kind kind_;
    std::string wellName_;
};

} // namespace Dotfield
