#include "Dotfield/Instrument/Errors/DotfieldError.hpp"

namespace Dotfield {

const char* DotfieldError::what() const noexcept {
    if (what_.empty()) {
        try {
            what_ = domain() + " " + std::to_string(code()) + ": " + caseDescription();
        } catch (...) {
            return "Dotfield error";
        }
    }
    return what_.c_str();
}

} // namespace Dotfield
