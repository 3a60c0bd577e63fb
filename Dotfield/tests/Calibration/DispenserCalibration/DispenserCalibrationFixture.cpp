#include "Dotfield/tests/Calibration/DispenserCalibration/DispenserCalibrationFixture.hpp"

#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {

void DispenserCalibrationFixture::SetUp() {
    SimulatedElectronicsFixture::SetUp();
    electronics->setDispenser(dispenserWithResonancePairs());
    folder = freshTestFolder("dispenser-calibration");
    scanFile = folder / "dispenserstatus.scn";
    store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    object = std::make_shared<Electronics>(store);
    object->setSerialPort(port);
    object->setHardwareGeneration(GetParam() == Generation::originalDesign
                                      ? ElectronicsHardwareGeneration::originalDesign
                                      : ElectronicsHardwareGeneration::redesign2016);
    calibration = makeCalibration();
}

void DispenserCalibrationFixture::TearDown() {
    // Runs still queued end before the link goes.
    object->serialDispatchQueue().sync([] {});
    mainThread.pump().runPending();
    calibration->setDisplay(nullptr);
    calibration.reset();
    object.reset();
    SimulatedElectronicsFixture::TearDown();
}

std::shared_ptr<DispenserCalibration>
DispenserCalibrationFixture::makeCalibration(std::optional<std::vector<ImpedanceCalibrationValue>> table) {
    auto made = DispenserCalibration::create({store, std::move(table), [file = scanFile] { return file; }});
    made->setElectronics(object);
    made->setErrorHandler([this](std::exception_ptr error) {
        std::lock_guard lock(errorsMutex_);
        errors_.push_back(std::move(error));
    });
    made->setDisplay(&display);
    return made;
}

void DispenserCalibrationFixture::waitForRunEnd() {
    ASSERT_TRUE(mainThread.pump().runUntil([&] {
        // The queue is idle once the run has posted its end; what it posted
        // runs below.
        return !calibration->calibrationInProgress() && object->serialDispatchQueue().sync([] { return true; });
    }, Testing::eventuallyLimit));
    mainThread.pump().runPending();
}

void DispenserCalibrationFixture::calibrateFully() {
    calibration->calibrate();
    waitForRunEnd();
}

std::vector<std::exception_ptr> DispenserCalibrationFixture::errors() const {
    std::lock_guard lock(errorsMutex_);
    return errors_;
}

} // namespace Dotfield::testing
