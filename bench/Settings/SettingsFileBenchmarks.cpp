// The settings file is written as a whole after every burst of changes and read
// once at start-up: both, file system included, should grow linearly with the
// number of keys and the length of the stored lists.

#include <memory>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Settings/PersistentDefaults.hpp"
#include "Dotfield/Printing/SolutionWells/SolutionWellSettings.hpp"
#include "ScratchSettingsFile.hpp"

namespace {

using namespace Dotfield;

PropertyListValue::Dictionary settingsWithKeys(std::int64_t keys) {
    UserDefaults store(UserDefaults::CustomDictionary{});
    for (std::int64_t i = 0; i < keys; ++i) {
        const std::string key = "key" + std::to_string(i);
        switch (i % 4) {
        case 0:
            store.setDouble(static_cast<double>(i) * 0.1, key);
            break;
        case 1:
            store.setString("text & <markup> " + key, key);
            break;
        case 2:
            store.setCoordinate(VeltranePatterns::Coordinate(1.5, 2.5, static_cast<double>(i)), key);
            break;
        default:
            store.setDoubleArray(std::vector<double>(16, static_cast<double>(i)), key);
        }
    }
    PropertyListValue::Dictionary dictionary;
    for (std::int64_t i = 0; i < keys; ++i) {
        const std::string key = "key" + std::to_string(i);
        dictionary.emplace(key, *store.object(key));
    }
    return dictionary;
}

using SettingsBenchmarks::ScratchSettingsFile;

// One change and the write of the whole file that follows it.
void writeSettingsFile(benchmark::State& state) {
    const ScratchSettingsFile file;
    PersistentDefaults defaults(file.path());
    for (const auto& [key, value] : settingsWithKeys(state.range(0))) {
        defaults.setObject(key, value);
    }
    double change = 0;
    for (auto _ : state) {
        defaults.setObject("key0", PropertyListValue(change += 1.0));
        if (!defaults.flush()) {
            state.SkipWithError("the settings file could not be written");
            break;
        }
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(writeSettingsFile)->RangeMultiplier(8)->Range(64, 32768)->Complexity(benchmark::oN);

// Opening the store over an existing file: reading and decoding it.
void readSettingsFile(benchmark::State& state) {
    const ScratchSettingsFile file;
    {
        PersistentDefaults defaults(file.path());
        for (const auto& [key, value] : settingsWithKeys(state.range(0))) {
            defaults.setObject(key, value);
        }
    }
    for (auto _ : state) {
        const PersistentDefaults defaults(file.path());
        if (!defaults.object("key0")) {
            state.SkipWithError("the settings file did not read");
            break;
        }
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(readSettingsFile)->RangeMultiplier(8)->Range(64, 32768)->Complexity(benchmark::oN);

// Decoding the solution-well list from the store opened over the file that
// holds it.
void readSolutionWellList(benchmark::State& state) {
    const ScratchSettingsFile file;
    std::vector<SolutionWell> wells;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        wells.push_back(SolutionWell{"Well " + std::to_string(i),
                                     SolutionLocation::MicrotiterPlate96Well{1, "A"}, 0,
                                     SolutionReloadQuantity::Unlimited{}, Zovudidova::seconds(1.0), 1,
                                     std::nullopt, std::nullopt, Zovudidova::seconds(2.0)});
    }
    UserDefaults writer(UserDefaults::StandardDefaults{std::make_shared<PersistentDefaults>(file.path())});
    storeSolutionWells(writer, wells, "solutionWells");
    const UserDefaults store(UserDefaults::StandardDefaults{std::make_shared<PersistentDefaults>(file.path())});
    if (storedSolutionWells(store, "solutionWells").value_or(std::vector<SolutionWell>{}).size() != wells.size()) {
        state.SkipWithError("the solution wells did not come back from the file");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(storedSolutionWells(store, "solutionWells"));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(readSolutionWellList)->RangeMultiplier(8)->Range(8, 4096)->Complexity(benchmark::oN);

} // namespace
