#pragma once
// The application's folder for exported files could not be found or made.

#include <filesystem>

#include "Dotfield/Instrument/Errors/DotfieldError.hpp"

namespace Dotfield {

class ApplicationSupportDirectoryError final : public DotfieldError {
  public:
    // The location that failed (may be empty when no user folder is known) and why.
    ApplicationSupportDirectoryError(std::filesystem::path location, std::string reason);

    const std::filesystem::path& location() const { return location_; }
    const std::string& reason() const { return reason_; }

    int code() const override { return 0; }
    std::string domain() const override { return "Dotfield.ApplicationSupportDirectoryError"; }
    // "Failed in getting the application support directory", the location and the reason.
    std::string caseDescription() const override;

  private:
    std::filesystem::path location_;
    std::string reason_;
};

} // namespace Dotfield
