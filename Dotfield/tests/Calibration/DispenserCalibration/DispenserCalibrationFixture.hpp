#pragma once
// A dispenser calibration on the simulated electronics of one generation (the
// test's parameter), whose dispenser has resonance/antiresonance pairs at 250,
// 380 and 480 kHz with strengths falling in that order, with a settings store
// in memory, a scan file in the test's own folder, a display that records
// what it was told, and the errors handed to the error handler.

#include <gtest/gtest.h>

#include <atomic>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Dotfield/Calibration/DispenserCalibration/DispenserCalibration.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/tests/Support/SimulatedElectronicsFixture.hpp"
#include "Dotfield/tests/Support/TestFiles.hpp"
#include "simulators/electronics/DispenserImpedanceModel.hpp"

namespace Dotfield::testing {

using Generation = Simulators::SimulatedElectronics::Generation;

inline std::string generationName(const ::testing::TestParamInfo<Generation>& info) {
    return info.param == Generation::originalDesign ? "OriginalDesign" : "Redesign2016";
}

// Three pairs, strongest at 250 kHz, then 380, then 480; without the last
// pair only two.
inline Simulators::DispenserImpedanceModel dispenserWithResonancePairs(bool thirdPair = true) {
    std::vector<Simulators::DispenserResonancePair> pairs{{250000.0, 256000.0, 80.0}, {380000.0, 388000.0, 60.0}};
    if (thirdPair) {
        pairs.push_back({480000.0, 490000.0, 45.0});
    }
    return Simulators::DispenserImpedanceModel(300.0, {}, pairs);
}

class RecordingDisplay final : public DispenserCalibrationDisplay {
  public:
    void showCalibrationWindow() override { ++windowShown; }
    void closeCalibrationWindow() override { ++windowClosed; }
    void scanPointAppended(std::size_t index) override {
        appended.push_back(index);
        if (onAppend) {
            onAppend(index);
        }
    }
    void reloadGraph() override { ++reloads; }
    void showOverlayView() override {
        overlayUp = true;
        ++overlaysShown;
    }
    void hideOverlayView() override { overlayUp = false; }
    void updateStatisticSamplingProgress(double value) override {
        progress.push_back(value);
        if (onProgress) {
            onProgress();
        }
    }
    void displayDispenserStatePanel(DispenserStatePanel panel) override { panels.push_back(panel); }
    void calibrationStateChanged() override { ++stateChanges; }

    std::vector<std::size_t> appended;
    std::function<void(std::size_t)> onAppend;
    std::function<void()> onProgress;
    std::vector<double> progress;
    std::vector<DispenserStatePanel> panels;
    int windowShown = 0;
    int windowClosed = 0;
    int reloads = 0;
    int overlaysShown = 0;
    int stateChanges = 0;
    bool overlayUp = false;
};

class DispenserCalibrationFixture : public SimulatedElectronicsFixture,
                                    public ::testing::WithParamInterface<Generation> {
  protected:
    DispenserCalibrationFixture() : SimulatedElectronicsFixture(GetParam()) {}

    void SetUp() override;
    void TearDown() override;

    // A calibration over the fixture's electronics, store and scan file,
    // reporting to the fixture's display and error list.
    std::shared_ptr<DispenserCalibration>
    makeCalibration(std::optional<std::vector<ImpedanceCalibrationValue>> table = std::nullopt);

    // Pumps the main thread until the run has ended (the flag down, and the
    // end of the run delivered to the display).
    void waitForRunEnd();
    // A complete full run through the button.
    void calibrateFully();
    std::vector<std::exception_ptr> errors() const;

    std::filesystem::path folder;
    std::filesystem::path scanFile;
    std::shared_ptr<UserDefaults> store;
    std::shared_ptr<Electronics> object;
    RecordingDisplay display;
    std::shared_ptr<DispenserCalibration> calibration;

  private:
    mutable std::mutex errorsMutex_;
    std::vector<std::exception_ptr> errors_;
};

} // namespace Dotfield::testing
