// Reading a large photoplot: 200,000 flashes and 100,000 drawn lines over ten
// apertures, as a dense board's copper layer gives them, and smaller boards of
// the same make-up to show how the import grows with the file. Each file is
// generated once per run into the temporary folder and removed at the end.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <system_error>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberParser.hpp"

using namespace VeltranePatterns;

namespace {

constexpr std::int64_t fullFlashCount = 200'000;

// A small deterministic generator, so every run reads the same file.
class Sequence {
public:
    std::uint32_t next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }

private:
    std::uint32_t state_ = 12345u;
};

void appendCoordinateBlock(std::string& out, std::uint32_t x, std::uint32_t y, const char* operation) {
    out += 'X';
    out += std::to_string(x);
    out += 'Y';
    out += std::to_string(y);
    out += operation;
    out += "*\n";
}

// A board of the given number of flashes and half as many drawn lines.
std::filesystem::path generatePhotoplot(std::int64_t flashCount) {
    const std::int64_t drawCount = flashCount / 2;
    const auto path = std::filesystem::temp_directory_path() / ("dotfield-gerber-bench-" + std::to_string(::getpid()) +
                                                                "-" + std::to_string(flashCount) + ".gbr");
    std::string out;
    out.reserve(static_cast<std::size_t>(flashCount) * 64);
    out += "G04 Generated board for the import benchmark*\n%FSLAX24Y24*%\n%MOMM*%\n";
    out += "%ADD10C,0.15*%\n%ADD11C,0.25*%\n%ADD12C,0.6X0.3*%\n%ADD13R,1.2X0.8*%\n%ADD14R,0.8X0.8*%\n";
    out += "%ADD15O,1.0X2.0*%\n%ADD16O,2.0X1.0X0.4*%\n%ADD17P,1.5X8X22.5*%\n%ADD18C,1.0*%\n%ADD19R,0.3X2.5*%\n";
    out += "G01*\n";
    Sequence random;
    std::int64_t flashes = 0;
    std::int64_t draws = 0;
    // Interleaved runs of pads and tracks, each run with its own aperture.
    while (flashes < flashCount || draws < drawCount) {
        const int aperture = 10 + static_cast<int>(random.next() % 10);
        out += 'D';
        out += std::to_string(aperture);
        out += "*\n";
        for (int i = 0; i < 200 && flashes < flashCount; ++i, ++flashes) {
            appendCoordinateBlock(out, random.next() % 3'000'000, random.next() % 2'000'000, "D03");
        }
        appendCoordinateBlock(out, random.next() % 3'000'000, random.next() % 2'000'000, "D02");
        for (int i = 0; i < 100 && draws < drawCount; ++i, ++draws) {
            appendCoordinateBlock(out, random.next() % 3'000'000, random.next() % 2'000'000, "D01");
        }
    }
    out += "M02*\n";
    std::ofstream(path, std::ios::binary) << out;
    return path;
}

// The generated files by flash count, removed again when the program ends.
class Photoplots {
public:
    Photoplots() = default;
    ~Photoplots() {
        for (const auto& [count, path] : paths_) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }
    Photoplots(const Photoplots&) = delete;
    Photoplots& operator=(const Photoplots&) = delete;

    const std::filesystem::path& withFlashes(std::int64_t flashCount) {
        auto found = paths_.find(flashCount);
        if (found == paths_.end()) {
            found = paths_.emplace(flashCount, generatePhotoplot(flashCount)).first;
        }
        return found->second;
    }

private:
    std::map<std::int64_t, std::filesystem::path> paths_;
};

const std::filesystem::path& photoplot(std::int64_t flashCount) {
    static Photoplots files;
    return files.withFlashes(flashCount);
}

void reportThroughput(benchmark::State& state, const std::filesystem::path& path, std::int64_t commands) {
    state.SetItemsProcessed(commands);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

// The parser alone, reporting every command to a callback that only counts.
void BM_GerberParse(benchmark::State& state) {
    const auto& path = photoplot(fullFlashCount);
    std::int64_t commands = 0;
    for (auto _ : state) {
        auto parser = GerberParser::open(path);
        parser->lengthUnitChangedCallback = [](Zovudidova::DistanceUnit) {};
        parser->drawingCommandCallback = [&commands](const GerberDrawingCommand& command) {
            benchmark::DoNotOptimize(&command);
            ++commands;
        };
        parser->parse();
    }
    reportThroughput(state, path, commands);
}
BENCHMARK(BM_GerberParse)->Unit(benchmark::kMillisecond);

// The whole import: parsing, one item per command, limits and the pattern.
void BM_GerberImport(benchmark::State& state) {
    const auto& path = photoplot(state.range(0));
    std::int64_t items = 0;
    for (auto _ : state) {
        const auto pattern = patternFromGerberFile(path);
        benchmark::DoNotOptimize(pattern.get());
        for (const auto& layer : pattern->solutionLayers()) {
            items += static_cast<std::int64_t>(layer.patternItems().size());
        }
    }
    reportThroughput(state, path, items);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_GerberImport)
    ->Arg(fullFlashCount / 4)
    ->Arg(fullFlashCount / 2)
    ->Arg(fullFlashCount)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace
