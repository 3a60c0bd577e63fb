#pragma once
// A print of a pattern file through a pattern document, as the operator makes
// it, on the simulated instrument with any of the four positioner models: the
// robot connected over its controllers' link, the electronics over theirs
// with the dispenser's reference statistics sampled and the status poll
// running, the start height found by surface finding, then the document's
// print with the printing engine. The world runs at the rate asked; the
// electronics' waits and the print's dwells follow it. Used by the tests and
// by the printing benchmark.

#include <chrono>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Platform/MainQueue.hpp"
#include "Dotfield/Printing/Document/PatternDocument.hpp"
#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"
#include "Dotfield/Robotics/Robot.hpp"
#include "Dotfield/tests/EndToEnd/PrintedShapes.hpp"
#include "Dotfield/tests/Support/TestInstrument.hpp"
#include "Dotfield/tests/Support/WorldTimeSleeper.hpp"

namespace Dotfield::testing {

// What a model's motors can resolve, µm.
struct ModelResolution {
    double step = 1.0;  // X and Y
    double zStep = 1.0; // Z
    // The longest chord of the arcs the model draws as straight pieces.
    double arcChord = 50.0;
    // How far the tip's height over the surface may stray while dispensing:
    // a Z step, or what the robot and the controller cannot resolve finer.
    double heightTolerance = 1.0;
};

struct PrintSetup {
    std::string model;
    // 0: the tests' fast world, whose time passes only with the bytes on its
    // lines and the waits the application asks for, so a loaded machine
    // cannot starve a motor of its contour; 1: the application's real time.
    double worldRate = 0.0;
    // The surface sloped 1 % along X and 0.5 % along Y, and the pattern
    // turned by 30°, scaled by 1.5 and moved by its origin.
    bool tilted = false;
};

class ModelPrinting {
  public:
    // Where the print starts on the deck, µm.
    static constexpr double startX = 60000.0;
    static constexpr double startY = 60000.0;
    static constexpr double featureWidth = 100.0;

    explicit ModelPrinting(PrintSetup setup);
    ~ModelPrinting();

    static ModelResolution resolution(const std::string& model);
    // The reference pattern of the test fixtures.
    static std::filesystem::path referencePattern();

    // Builds the instrument, connects the robot and the electronics; throws
    // what fails.
    void connect();
    // Finds the surface at the start point, then prints the file through a
    // document with the setup's placement; answers the drives of the print.
    // Throws the print's error, or when it does not end within minutes.
    std::vector<Simulators::DispenserDriveRecord> print(const std::filesystem::path& pattern);

    // Runs the work on the robot's queue and waits for it; its error comes back.
    void onRobotQueue(const std::function<void()>& work);

    const PrintSetup& setup() const { return setup_; }
    const Placement& placement() const { return placement_; }
    const std::shared_ptr<PatternDocument>& document() const { return document_; }
    // Where surface finding left the tip at the start.
    const VeltranePatterns::Coordinate& foundStart() const { return foundStart_; }
    Simulators::SimulatedDropwright& instrument() { return *instrument_; }
    Robot& robot() { return *robot_; }
    Electronics& electronics() { return *electronics_; }

  private:
    // Serves the main thread until the condition holds or the guard time passed.
    bool pumpUntil(const std::function<bool()>& condition);

    const PrintSetup setup_;
    ScopedMainThreadPump mainThread_;
    std::unique_ptr<Testing::TestInstrument> instrument_;
    std::shared_ptr<UserDefaults> store_ = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<ManualClock> electronicsClock_ = std::make_shared<ManualClock>();
    std::shared_ptr<Simulators::WorldClock> worldClock_;
    std::shared_ptr<Testing::WorldTimeSleeper> worldTime_;
    std::shared_ptr<Robot> robot_;
    std::shared_ptr<Electronics> electronics_;
    std::unique_ptr<ElectronicsForPrinting> printingElectronics_;
    std::shared_ptr<PatternDocument> document_;
    Placement placement_;
    VeltranePatterns::Coordinate foundStart_;
};

} // namespace Dotfield::testing
