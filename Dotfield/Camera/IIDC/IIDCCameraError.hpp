#pragma once
// Failures of opening an IIDC camera. The camera window catches them and sets
// the camera up again; they are never shown to the operator.

#include "Dotfield/Instrument/Errors/DotfieldError.hpp"

namespace Dotfield {

enum class IIDCCameraErrorKind { noDevicesConnected, noMatchingDevice, cameraDisconnected };

class IIDCCameraError final : public DotfieldError {
  public:
    using Kind = IIDCCameraErrorKind;

    explicit IIDCCameraError(Kind kind) : kind_(kind) {}

    Kind kind() const { return kind_; }
    int code() const override { return static_cast<int>(kind_); }
    std::string domain() const override;
    std::string caseDescription() const override;

    friend bool operator==(const IIDCCameraError& a, const IIDCCameraError& b) { return a.kind_ == b.kind_; }

  private:
    Kind kind_;
};

} // namespace Dotfield
