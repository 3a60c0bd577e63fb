#pragma once
// Which positioner the settings key "productType" selects, and how a model is
// made. The table of values is fixed; the models plug into it through
// robotModelFactories(), one line per model.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Dotfield {

class Robot;
class UserDefaults;

// What one "productType" value selects: a model name, or none (no robot), and
// the console line that tells which.
struct ProductTypeChoice {
    std::optional<std::string> modelName;
    std::string consoleMessage;
};

// Compares the value whole and exactly with the table's entries, in order; a
// missing value selects the DropwrightIIb.
ProductTypeChoice chooseProductType(const std::optional<std::string>& productType);

// The first "productType" value of the table that selects the model (the
// value the simulated instrument of that model runs under); nothing for a
// model the table does not select.
std::optional<std::string> productTypeSelecting(const std::string& modelName);

// Makes a model with the settings store.
using RobotModelFactory = std::function<std::shared_ptr<Robot>(std::shared_ptr<UserDefaults>)>;

struct RobotModelEntry {
    std::string modelName;
    // Empty while the model is not built.
    RobotModelFactory make;
};

// Every model the table can select, with its factory.
const std::vector<RobotModelEntry>& robotModelFactories();

// The factory of a model, or nothing when the model is not built (or unknown).
RobotModelFactory robotModelFactory(const std::string& modelName);

} // namespace Dotfield
