// The program's command line and the "productType" table.

#include <gtest/gtest.h>

#include "Dotfield/Application/ApplicationOptions.hpp"
#include "Dotfield/Application/ProductTypes.hpp"

using namespace Dotfield;

namespace {

struct CommandLineCase {
    std::vector<std::string> arguments;
    ApplicationOptions::Action action;
    std::optional<std::string> simulatedModel;
    bool modelNamed;
    std::vector<std::string> files;
};

} // namespace

TEST(ApplicationOptionsTests, AcceptedCommandLines) {
    using Action = ApplicationOptions::Action;
    const CommandLineCase cases[] = {
        {{}, Action::run, std::nullopt, false, {}},
        {{"--help"}, Action::showHelp, std::nullopt, false, {}},
        {{"--version"}, Action::showVersion, std::nullopt, false, {}},
        {{"--simulated-instrument"}, Action::run, "IIb", false, {}},
        {{"--simulated-instrument=IIa", "a.pattern"}, Action::run, "IIa", true, {"a.pattern"}},
        {{"--simulated-instrument=Desktop"}, Action::run, "Desktop", true, {}},
        {{"--simulated-instrument=Proto"}, Action::run, "Proto", true, {}},
        {{"x.dxf", "--", "-odd.gbr", "-"}, Action::run, std::nullopt, false, {"x.dxf", "-odd.gbr", "-"}},
    };
    for (const auto& each : cases) {
        const auto parsed = parseApplicationOptions(each.arguments);
        ASSERT_TRUE(std::holds_alternative<ApplicationOptions>(parsed)) << std::get<std::string>(parsed);
        const auto& options = std::get<ApplicationOptions>(parsed);
        EXPECT_EQ(options.action, each.action);
        EXPECT_EQ(options.simulatedInstrument.has_value(), each.simulatedModel.has_value());
        if (options.simulatedInstrument && each.simulatedModel) {
            EXPECT_EQ(options.simulatedInstrument->model, *each.simulatedModel);
            EXPECT_EQ(options.simulatedInstrument->modelNamed, each.modelNamed);
        }
        EXPECT_EQ(options.files, each.files);
    }
}

TEST(ApplicationOptionsTests, RefusedCommandLinesSayWhy) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bogus"}, "dotfield: unknown option '--bogus'"},
        {{"-v"}, "dotfield: unknown option '-v'"},
        {{"--simulated-instrument=IIc"}, "dotfield: unknown simulated instrument 'IIc' (choose IIa, IIb, Desktop or Proto)"},
        {{"--simulated-instrument="}, "dotfield: unknown simulated instrument '' (choose IIa, IIb, Desktop or Proto)"},
    };
    for (const auto& [arguments, message] : cases) {
        const auto parsed = parseApplicationOptions(arguments);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << arguments[0];
        EXPECT_EQ(std::get<std::string>(parsed), message + "\nTry 'dotfield --help' for more information.");
    }
}

TEST(ProductTypeTests, TableOfValues) {
    const std::tuple<std::optional<std::string>, std::optional<std::string>, std::string> cases[] = {
        {std::nullopt, "DropwrightIIb", "The DropwrightIIb was set by default."},
        {"Ovra Dropwright", std::nullopt, "The original Dropwright is not yet supported by this version of Dotfield"},
        {"Ovra Dropwright Desktop", "DropwrightDesktop", "Dropwright Desktop"},
        {"Ovra Dropwright II", "DropwrightIIa", "Dropwright IIa"},
        {"Ovra Dropwright IIb", "DropwrightIIb", "Dropwright IIb"},
        {"Dropwright II", "DropwrightIIb", "Dropwright IIb"},
        {"Dropwright Proto", "DropwrightProto", "Dropwright Proto"},
        {"", std::nullopt, "Some unknown type of Dropwright was specified in the defaults"},
        {"ovra dropwright ii", std::nullopt, "Some unknown type of Dropwright was specified in the defaults"},
        {"Dropwright II ", std::nullopt, "Some unknown type of Dropwright was specified in the defaults"},
    };
    for (const auto& [value, model, message] : cases) {
        const auto choice = chooseProductType(value);
        EXPECT_EQ(choice.modelName, model) << value.value_or("(missing)");
        EXPECT_EQ(choice.consoleMessage, message);
    }
}

TEST(ProductTypeTests, EveryModelTheTableNamesHasAnEntry) {
    for (const char* model : {"DropwrightProto", "DropwrightDesktop", "DropwrightIIa", "DropwrightIIb"}) {
        const auto& entries = robotModelFactories();
        EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                                [model](const RobotModelEntry& entry) { return entry.modelName == model; }))
            << model;
    }
    EXPECT_FALSE(robotModelFactory("DropwrightIIc"));
}

TEST(ProductTypeTests, EachModelHasAValueThatSelectsIt) {
    for (const char* model : {"DropwrightProto", "DropwrightDesktop", "DropwrightIIa", "DropwrightIIb"}) {
        const auto value = productTypeSelecting(model);
        ASSERT_TRUE(value) << model;
        EXPECT_EQ(chooseProductType(value).modelName, model);
    }
    EXPECT_EQ(productTypeSelecting("DropwrightIIb"), "Ovra Dropwright IIb");
    EXPECT_FALSE(productTypeSelecting("DropwrightIIc"));
}
