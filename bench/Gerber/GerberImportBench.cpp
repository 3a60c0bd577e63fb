// Reading a large photoplot: 200,000 flashes and 100,000 drawn lines over
// ten apertures, as a dense board's copper layer gives them. The file is
// generated once per run into the temporary folder.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "VeltranePatterns/Source/Import/Gerber/GerberImport.hpp"
#include "VeltranePatterns/Source/Import/Gerber/GerberParser.hpp"

using namespace VeltranePatterns;

namespace {

constexpr int flashCount = 200'000;
constexpr int drawCount = 100'000;

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

std::filesystem::path generatePhotoplot() {
    const auto path = std::filesystem::temp_directory_path() /
                      ("dotfield-gerber-bench-" + std::to_string(::getpid()) + ".gbr");
    std::string out;
    out.reserve(12 * 1024 * 1024);
    out += "G04 Generated board for the import benchmark*\n%FSLAX24Y24*%\n%MOMM*%\n";
    out += "%ADD10C,0.15*%\n%ADD11C,0.25*%\n%ADD12C,0.6X0.3*%\n%ADD13R,1.2X0.8*%\n%ADD14R,0.8X0.8*%\n";
    out += "%ADD15O,1.0X2.0*%\n%ADD16O,2.0X1.0X0.4*%\n%ADD17P,1.5X8X22.5*%\n%ADD18C,1.0*%\n%ADD19R,0.3X2.5*%\n";
    out += "G01*\n";
    Sequence random;
    int flashes = 0;
    int draws = 0;
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

// The generated file, removed again when the program ends.
class Photoplot {
public:
    Photoplot() : path_(generatePhotoplot()) {}
    ~Photoplot() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    Photoplot(const Photoplot&) = delete;
    Photoplot& operator=(const Photoplot&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

const std::filesystem::path& photoplot() {
    static const Photoplot file;
    return file.path();
}

void BM_GerberParse(benchmark::State& state) {
    const auto& path = photoplot();
    std::int64_t commands = 0;
    for (auto _ : state) {
        auto parser = GerberParser::open(path);
        std::int64_t count = 0;
        parser->lengthUnitChangedCallback = [](Zovudidova::DistanceUnit) {};
        parser->drawingCommandCallback = [&count](const GerberDrawingCommand& command) {
            benchmark::DoNotOptimize(&command);
            ++count;
        };
        parser->parse();
        commands += count;
    }
    state.SetItemsProcessed(commands);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_GerberParse)->Unit(benchmark::kMillisecond);

// The whole import: parsing, one item per command, limits and the pattern.
void BM_GerberImport(benchmark::State& state) {
    const auto& path = photoplot();
    std::int64_t items = 0;
    for (auto _ : state) {
        const auto pattern = patternFromGerberFile(path);
        benchmark::DoNotOptimize(pattern.get());
        for (const auto& layer : pattern->solutionLayers()) {
            items += static_cast<std::int64_t>(layer.patternItems().size());
        }
    }
    state.SetItemsProcessed(items);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_GerberImport)->Unit(benchmark::kMillisecond);

} // namespace
