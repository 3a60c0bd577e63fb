#include "Dotfield/tests/EndToEnd/ModelPrintingFixture.hpp"

#include <stdexcept>

#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPortProperties.hpp"
#include "Dotfield/Printing/Document/PatternPrintRun.hpp"
#include "Dotfield/Robotics/RobotConnection.hpp"
#include "Dotfield/Robotics/SurfaceFinding.hpp"
#include "Dotfield/tests/Support/RobotModels.hpp"
#include "Dotfield/tests/Support/SampledDispenser.hpp"
#include "Dotfield/tests/Support/SimulatedInstrumentBuilder.hpp"
#include "Dotfield/tests/Support/TestTiming.hpp"

namespace Dotfield::testing {

namespace {

// The tip starts this far above the surface at the start point, µm.
constexpr double startClearance = 300.0;
// The deck under the start point, above the bottom of the Z travel, µm.
constexpr double deckHeight = 10000.0;

std::shared_ptr<Simulators::WorldClock> worldClockFor(double rate) {
    if (rate > 0.0) {
        return std::make_shared<Simulators::RealTimeWorldClock>(rate);
    }
    return std::make_shared<Simulators::SteppedWorldClock>();
}

} // namespace

ModelPrinting::ModelPrinting(PrintSetup setup)
    : setup_(std::move(setup)), worldClock_(worldClockFor(setup_.worldRate)),
      worldTime_(std::make_shared<Testing::WorldTimeSleeper>(electronicsClock_, worldClock_)) {
    if (setup_.tilted) {
        placement_ = {startX, startY, 3000.0, 2000.0, 1.5, 30.0};
    } else {
        placement_ = {startX, startY, 0.0, 0.0, 1.0, 0.0};
    }
}

ModelPrinting::~ModelPrinting() {
    if (robot_) {
        onRobotQueue([] {});
        robot_->disconnectFromSerialPort();
    }
    printingElectronics_.reset();
    electronics_.reset();
    if (instrument_) {
        instrument_->closePorts();
    }
    robot_.reset();
    document_.reset();
    instrument_.reset();
}

ModelResolution ModelPrinting::resolution(const std::string& model) {
    // The generation-II motors play their contours straight from sample to
    // sample: at the printing speed of 1000 µm/s at most 256 sample periods.
    if (model == "IIa") {
        return {5.0, 5.0, 1000.0 * 256 * 0.00024576, 5.0};
    }
    if (model == "IIb") {
        return {2.5, 2.5, 1000.0 * 256 * 0.00012288, 2.5};
    }
    if (model == "Desktop") {
        // The controller counts in thousandths of a millimetre and is not
        // sent a move within one of them; its Z, at its slowest 100 µm/s,
        // runs up to 1 µm ahead on a gently sloped line.
        return {1.0, 1.0, 50.0, 2.0};
    }
    // Finer than the half micron below which the robot leaves an axis alone.
    return {0.78125, 0.15625, 50.0, 0.5 + 0.15625 / 2.0};
}

std::filesystem::path ModelPrinting::referencePattern() {
    return std::filesystem::path(DOTFIELD_END_TO_END_FIXTURES) / "reference.pattern";
}

void ModelPrinting::connect() {
    const Simulators::PositionerPeerRegistry peers = Simulators::builtInPositionerPeers();
    const Simulators::PositionerPeerModel* peer = peers.find(setup_.model);
    if (peer == nullptr) {
        throw std::invalid_argument("No simulated positioner " + setup_.model);
    }
    Simulators::SimulatedSurface surface =
        setup_.tilted ? Simulators::SimulatedSurface::plane(deckHeight, 0.01, 0.005)
                      : Simulators::SimulatedSurface::plane(deckHeight);
    surface.centerX = startX;
    surface.centerY = startY;
    instrument_ = Testing::SimulatedInstrumentBuilder(setup_.model)
                      .worldClock(worldClock_)
                      .surface(surface)
                      .start({startX, startY, peer->travelFrom.z + deckHeight + startClearance})
                      .build();

    robot_ = Testing::makeRobotModel(setup_.model, store_);
    // Nothing in a print is meant to fall silent: the links wait patiently.
    const SerialPortTiming timing = Testing::patientSerialPortTiming();
    initializeConnectionToRobot(*robot_, instrument_->opener(timing));

    electronics_ = std::make_shared<Electronics>(store_, ElectronicsTiming{electronicsClock_, worldTime_});
    electronics_->setSerialPort(instrument_->openPort(properties(SerialPortType::electronics), timing));
    electronics_->setHardwareGeneration(ElectronicsHardwareGeneration::redesign2016);
    printingElectronics_ = std::make_unique<ElectronicsForPrinting>(*electronics_, worldTime_);
    instrument_->electronics()->setMeasurementNoise(2.0, 0.002, 11);
    sampleDispenserReferenceStatistics(*electronics_);
    // A poll whose ticks never come (its clock stands still): the print
    // suspends and resumes it.
    startRepeatingTimer(*electronics_, dispenserStatusPollInterval, dispenserStatusPollLeeway, [] {});
}

void ModelPrinting::onRobotQueue(const std::function<void()>& work) { performOnQueueSync(work, *robot_); }

bool ModelPrinting::pumpUntil(const std::function<bool()>& condition) {
    // A whole print of the prototype's model takes over a minute on a loaded,
    // sanitized run, longer than one awaited event may: the guard is a print's.
    return mainThread_.pump().runUntil(condition, std::chrono::minutes(5));
}

std::vector<Simulators::DispenserDriveRecord> ModelPrinting::print(const std::filesystem::path& pattern) {
    Robot& robot = *robot_;
    onRobotQueue([&] {
        const bool slow = robot.shouldUseSlowApproachDuringSurfaceFinding();
        foundStart_ = findSurfaceWithApproachStepSize(
            slow ? robot.slowSurfaceApproachStepSize() : robot.surfaceApproachStepSize(),
            robot.surfaceRetractionStepSize(), !slow, robot, *electronics_, [] {});
    });
    placement_.startX = foundStart_.x;
    placement_.startY = foundStart_.y;
    const std::size_t drivesBefore = instrument_->world()->dispenserDrives().size();

    document_ = std::make_shared<PatternDocument>();
    document_->readFromFile(pattern, "Pattern");
    document_->setRobot(robot_);
    document_->setElectronics(electronics_);
    document_->windowControllerDidLoad(); // as its window opens: ready to print
    document_->setFeatureWidth(featureWidth);
    document_->setScalingFromUnitsToMicrons(placement_.scale);
    document_->setOriginX(placement_.originX);
    document_->setOriginY(placement_.originY);
    document_->setRotation(Zovudidova::degrees(placement_.rotationDegrees));
    if (setup_.tilted) {
        document_->setSurfaceCant({0.01, 0.005});
    }
    document_->printPatternOperation = [this](const PatternPrintRun& run) {
        printWithEngine(run, *printingElectronics_);
    };
    auto failure = std::make_shared<std::exception_ptr>();
    document_->errorHandler = [failure](std::exception_ptr error) { *failure = std::move(error); };
    document_->pauseOrResume();
    if (!pumpUntil([this] { return !document_->currentlyPrinting(); })) {
        throw std::runtime_error("The print did not end");
    }
    onRobotQueue([] {});
    mainThread_.pump().runPending();
    if (*failure) {
        std::rethrow_exception(*failure);
    }
    auto drives = instrument_->world()->dispenserDrives();
    drives.erase(drives.begin(), drives.begin() + static_cast<std::ptrdiff_t>(drivesBefore));
    return drives;
}

} // namespace Dotfield::testing
