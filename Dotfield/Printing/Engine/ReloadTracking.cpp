#include "Dotfield/Printing/Engine/ReloadTracking.hpp"

#include <type_traits>
#include <variant>

namespace Dotfield {

void ReloadTracking::start(const SolutionReloadQuantity& quantity, double featureWidth) {
    std::visit(
        [&](const auto& value) {
            using Case = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Case, SolutionReloadQuantity::Distance>) {
                tracking_ = true;
                full_ = value.microns;
            } else if constexpr (std::is_same_v<Case, SolutionReloadQuantity::Spots>) {
                tracking_ = true;
                full_ = static_cast<double>(value.spots) * featureWidth;
            } else {
                tracking_ = false;
                full_ = 0.0;
            }
        },
        quantity.quantity());
    remaining_ = full_;
}

bool ReloadTracking::needsReloadFor(double length) {
    if (!tracking_) {
        return false;
    }
    if (length <= remaining_) {
        remaining_ -= length;
        return false;
    }
    // The fresh load pays for the item that needed it.
    remaining_ = full_ - length;
    return true;
}

} // namespace Dotfield
