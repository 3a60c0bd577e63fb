#pragma once
// The common shape of the presentable error enumerations whose cases carry no
// payload: the case, its code, and equality by case.

#include "Dotfield/Instrument/Errors/PresentableError.hpp"

namespace Dotfield {

template <typename KindType> class CaseError : public PresentableError {
  public:
    using Kind = KindType;

    explicit CaseError(Kind kind) : kind_(kind) {}

    Kind kind() const { return kind_; }
    int code() const override { return static_cast<int>(kind_); }

  private:
    Kind kind_;
};

} // namespace Dotfield
