#include "Dotfield/Application/ProductTypes.hpp"

#include <array>
#include <string_view>

#include "Dotfield/Robotics/Models/DropwrightDesktop.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIa.hpp"
#include "Dotfield/Robotics/Models/DropwrightIIb.hpp"
#include "Dotfield/Robotics/Models/DropwrightProto.hpp"

namespace Dotfield {

namespace {

struct ProductTypeRow {
    std::string_view value;
    std::optional<std::string_view> modelName;
    std::string_view consoleMessage;
};

constexpr std::array<ProductTypeRow, 6> productTypeRows{{
    {"Ovra Dropwright", std::nullopt, "The original Dropwright is not yet supported by this version of Dotfield"},
    {"Ovra Dropwright Desktop", "DropwrightDesktop", "Dropwright Desktop"},
    {"Ovra Dropwright II", "DropwrightIIa", "Dropwright IIa"},
    {"Ovra Dropwright IIb", "DropwrightIIb", "Dropwright IIb"},
    {"Dropwright II", "DropwrightIIb", "Dropwright IIb"},
    {"Dropwright Proto", "DropwrightProto", "Dropwright Proto"},
}};

} // namespace

ProductTypeChoice chooseProductType(const std::optional<std::string>& productType) {
    if (!productType) {
        return {"DropwrightIIb", "The DropwrightIIb was set by default."};
    }
    for (const auto& row : productTypeRows) {
        if (*productType == row.value) {
            return {row.modelName ? std::optional<std::string>(*row.modelName) : std::nullopt,
                    std::string(row.consoleMessage)};
        }
    }
    return {std::nullopt, "Some unknown type of Dropwright was specified in the defaults"};
}

std::optional<std::string> productTypeSelecting(const std::string& modelName) {
    for (const auto& row : productTypeRows) {
        if (row.modelName == modelName) {
            return std::string(row.value);
        }
    }
    return std::nullopt;
}

const std::vector<RobotModelEntry>& robotModelFactories() {
    // A model's issue replaces its empty factory with the model's maker, e.g.
    //   {"DropwrightIIb", [](auto defaults) { return makeDropwrightIIb(std::move(defaults)); }},
    static const std::vector<RobotModelEntry> entries{
        {"DropwrightProto", [](auto defaults) { return Robot::make<DropwrightProto>(std::move(defaults)); }},
        {"DropwrightDesktop", [](auto defaults) { return Robot::make<DropwrightDesktop>(std::move(defaults)); }},
        {"DropwrightIIa", [](auto defaults) { return Robot::make<DropwrightIIa>(std::move(defaults)); }},
        {"DropwrightIIb", [](auto defaults) { return Robot::make<DropwrightIIb>(std::move(defaults)); }},
    };
    return entries;
}

RobotModelFactory robotModelFactory(const std::string& modelName) {
    for (const auto& entry : robotModelFactories()) {
        if (entry.modelName == modelName) {
            return entry.make;
        }
    }
    return {};
}

} // namespace Dotfield
