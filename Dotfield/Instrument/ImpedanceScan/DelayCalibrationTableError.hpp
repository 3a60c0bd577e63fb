#pragma once
// A delay calibration table that cannot be used: the file cannot be read, or
// none of its lines is a scan point. The caller reports it and goes on without
// table scans.

#include <filesystem>
#include <string>

#include "Dotfield/Instrument/Errors/DotfieldError.hpp"

namespace Dotfield {

class DelayCalibrationTableError final : public DotfieldError {
public:
    DelayCalibrationTableError(std::filesystem::path location, std::string reason);

    const std::filesystem::path& location() const { return location_; }
    const std::string& reason() const { return reason_; }

    int code() const override { return 0; }
    std::string domain() const override { return "Dotfield.DelayCalibrationTableError"; }
    // "Delay calibration file is missing from the application bundle: <location> (<reason>)".
    std::string caseDescription() const override;

private:
    std::filesystem::path location_;
    std::string reason_;
};

} // namespace Dotfield
