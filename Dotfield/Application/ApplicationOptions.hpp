#pragma once
// The command line of the program `dotfield`:
//
//   dotfield [--simulated-instrument[=IIa|IIb|Desktop|Proto]] [file...]
//   dotfield --help | --version
//
// Anything else that starts with '-' is refused (exit status 2); "--" ends
// the options, so a file whose name starts with '-' can still be given.

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace Dotfield {

struct ApplicationOptions {
    enum class Action { run, showHelp, showVersion };

    struct SimulatedInstrument {
        // "IIa", "IIb", "Desktop" or "Proto".
        std::string model = "IIb";
        // False when the option came without a model (the default one is used).
        bool modelNamed = false;
    };

    Action action = Action::run;
    std::optional<SimulatedInstrument> simulatedInstrument;
    std::vector<std::string> files;
};

// The options, or the text that explains why the command line was refused.
using ParsedApplicationOptions = std::variant<ApplicationOptions, std::string>;
ParsedApplicationOptions parseApplicationOptions(const std::vector<std::string>& arguments);

// The full model name of a short one ("IIb" -> "DropwrightIIb").
std::string positionerModelName(const std::string& shortModel);

std::string applicationUsageText();
std::string applicationVersionText();

} // namespace Dotfield
