#pragma once
// How much may be printed with one load of the dispenser before it is reloaded.

#include <cstdint>
#include <optional>
#include <variant>

#include "Dotfield/Platform/Settings/PropertyListValue.hpp"

namespace Dotfield {

class SolutionReloadQuantity {
  public:
    // Reload after this length of printed path.
    struct Distance {
        double microns = 0.0;
        friend bool operator==(const Distance&, const Distance&) = default;
    };
    // Reload after this many spots.
    struct Spots {
        std::uint64_t spots = 0;
        friend bool operator==(const Spots&, const Spots&) = default;
    };
    // Never reload.
    struct Unlimited {
        friend bool operator==(const Unlimited&, const Unlimited&) = default;
    };
    using Case = std::variant<Distance, Spots, Unlimited>;

    SolutionReloadQuantity(Case quantity) : case_(quantity) {}
    SolutionReloadQuantity(Distance quantity) : case_(quantity) {}
    SolutionReloadQuantity(Spots quantity) : case_(quantity) {}
    SolutionReloadQuantity(Unlimited quantity) : case_(quantity) {}

    const Case& quantity() const { return case_; }

    // {"type": "distance", "value": real}, {"type": "spots", "value": n} or {"type": "unlimited"}.
    PropertyListValue::Dictionary dictionaryRepresentation() const;
    static std::optional<SolutionReloadQuantity>
    fromDictionary(const PropertyListValue::Dictionary* dictionary);

    friend bool operator==(const SolutionReloadQuantity&, const SolutionReloadQuantity&) = default;

  private:
    Case case_;
};

} // namespace Dotfield
