#include "Dotfield/Instrument/Errors/ApplicationSupportDirectoryError.hpp"

namespace Dotfield {

ApplicationSupportDirectoryError::ApplicationSupportDirectoryError(std::filesystem::path location,
                                                                   std::string reason)
    : location_(std::move(location)), reason_(std::move(reason)) {}

std::string ApplicationSupportDirectoryError::caseDescription() const {
    std::string text = "Failed in getting the application support directory";
    if (!location_.empty()) {
        text += " " + location_.string();
    }
    return text + ": " + reason_;
}

} // namespace Dotfield
