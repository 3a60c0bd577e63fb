#include "Dotfield/Application/ApplicationOptions.hpp"

#include <array>
#include <string_view>

#ifndef DOTFIELD_VERSION
#define DOTFIELD_VERSION "0.0"
#endif

namespace Dotfield {

namespace {

constexpr std::array<std::string_view, 4> simulatedModels{"IIa", "IIb", "Desktop", "Proto"};
constexpr std::string_view simulatedOption = "--simulated-instrument";

bool isSimulatedModel(std::string_view model) {
    for (const auto known : simulatedModels) {
        if (model == known) {
            return true;
        }
    }
    return false;
}

std::string refusal(const std::string& what) {
    return "dotfield: " + what + "\nTry 'dotfield --help' for more information.";
}

} // namespace

ParsedApplicationOptions parseApplicationOptions(const std::vector<std::string>& arguments) {
    ApplicationOptions options;
    bool optionsEnded = false;
    for (const auto& argument : arguments) {
        if (optionsEnded || argument.empty() || argument.front() != '-' || argument == "-") {
            options.files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help") {
            options.action = ApplicationOptions::Action::showHelp;
        } else if (argument == "--version") {
            options.action = ApplicationOptions::Action::showVersion;
        } else if (argument == simulatedOption) {
            options.simulatedInstrument = ApplicationOptions::SimulatedInstrument{};
        } else if (argument.starts_with(std::string(simulatedOption) + "=")) {
            const std::string model = argument.substr(simulatedOption.size() + 1);
            if (!isSimulatedModel(model)) {
                return refusal("unknown simulated instrument '" + model +
                               "' (choose IIa, IIb, Desktop or Proto)");
            }
            options.simulatedInstrument = ApplicationOptions::SimulatedInstrument{model, true};
        } else {
            return refusal("unknown option '" + argument + "'");
        }
    }
    return options;
}

std::string positionerModelName(const std::string& shortModel) {
    return "Dropwright" + shortModel;
}

std::string applicationUsageText() {
    return "Usage: dotfield [options] [file...]\n"
           "Drives a Dropwright dispensing instrument. Files given are opened as pattern\n"
           "documents (pattern, DXF or Gerber files).\n"
           "\n"
           "Options:\n"
           "  --simulated-instrument[=MODEL]  run on a simulated instrument instead of the\n"
           "                                  attached one; MODEL is IIa, IIb (the default),\n"
           "                                  Desktop or Proto\n"
           "  --help                          show this text and exit\n"
           "  --version                       show the version and exit\n";
}

std::string applicationVersionText() {
    return std::string("dotfield ") + DOTFIELD_VERSION + "\n";
}

} // namespace Dotfield
