// The settings file is written as a whole after every burst of changes and read
// once at start-up: both should grow linearly with the number of keys and the
// length of the stored lists.

#include <benchmark/benchmark.h>

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Settings/PropertyListFormat.hpp"

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

void writeSettingsFile(benchmark::State& state) {
    const auto settings = settingsWithKeys(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(writePropertyList(settings));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(writeSettingsFile)->RangeMultiplier(8)->Range(64, 32768)->Complexity(benchmark::oN);

void readSettingsFile(benchmark::State& state) {
    const std::string text = writePropertyList(settingsWithKeys(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(readPropertyList(text));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(readSettingsFile)->RangeMultiplier(8)->Range(64, 32768)->Complexity(benchmark::oN);

void readSolutionWellList(benchmark::State& state) {
    UserDefaults store(UserDefaults::CustomDictionary{});
    std::vector<SolutionWell> wells;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        wells.push_back(SolutionWell{"Well " + std::to_string(i),
                                     SolutionLocation::MicrotiterPlate96Well{1, "A"}, 0,
                                     SolutionReloadQuantity::Unlimited{}, Zovudidova::seconds(1.0), 1,
                                     std::nullopt, std::nullopt, Zovudidova::seconds(2.0)});
    }
    store.setSolutionWells(wells, "solutionWells");
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.solutionWells("solutionWells"));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(readSolutionWellList)->RangeMultiplier(8)->Range(8, 4096)->Complexity(benchmark::oN);

} // namespace
