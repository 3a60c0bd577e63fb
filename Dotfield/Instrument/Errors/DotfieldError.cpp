#include "Dotfield/Instrument/Errors/DotfieldError.hpp"

namespace Dotfield {

const char* DotfieldError::what() const noexcept {
    std::call_once(what_->made, [this] {
        try {
            what_->text = domain() + " " + std::to_string(code()) + ": " + caseDescription();
        } catch (...) {
            what_->text = "Dotfield error";
        }
    });
    return what_->text.c_str();
}

} // namespace Dotfield
