#pragma once
// An Electronics object on the simulated electronics of one generation (the
// test's parameter), with a settings store in memory and a clock the test
// moves by hand (it also serves as the sleeper, so waits take no real time).

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "Dotfield/Instrument/DispenserStatus/StatisticalSampling.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/tests/Support/SimulatedElectronicsFixture.hpp"
#include "simulators/electronics/SimulatedDispenserState.hpp"
#include "Dotfield/tests/Support/Eventually.hpp"

namespace Dotfield::testing {

using Generation = Simulators::SimulatedElectronics::Generation;

inline std::string generationName(const ::testing::TestParamInfo<Generation>& info) {
    return info.param == Generation::originalDesign ? "OriginalDesign" : "Redesign2016";
}

using Dotfield::Testing::eventually;

class ElectronicsObjectFixture : public SimulatedElectronicsFixture, public ::testing::WithParamInterface<Generation> {
protected:
    ElectronicsObjectFixture() : SimulatedElectronicsFixture(GetParam()) {}

    void SetUp() override {
        SimulatedElectronicsFixture::SetUp();
        object = std::make_shared<Electronics>(store, ElectronicsTiming{clock, sleeper()});
        object->setSerialPort(port);
        object->setHardwareGeneration(GetParam() == Generation::originalDesign
                                          ? ElectronicsHardwareGeneration::originalDesign
                                          : ElectronicsHardwareGeneration::redesign2016);
    }

    void TearDown() override {
        object.reset();
        SimulatedElectronicsFixture::TearDown();
    }

    // The sleeper the object is made with; the clock unless a test replaces it.
    virtual std::shared_ptr<Sleeper> sleeper() { return clock; }

    // Reference statistics sampled from the simulated dispenser as it is now.
    DispenserStatistics sample() {
        return performOnQueueSync([&] { return performStatisticalSamplingOfImpedances(points, *object, {}); },
                                  *object);
    }

    DispenserConnectionStatus check(bool statusOnly) {
        return performOnQueueSync([&] { return object->checkDispenserStatus(statusOnly); }, *object);
    }

    void putDispenser(Simulators::SimulatedDispenserState state, double surfaceContact = 1.0) {
        Simulators::setDispenserState(*electronics, state, freeDispenser, surfaceContact);
    }

    std::size_t commandCount(Simulators::SimulatedElectronics::Command::Kind kind) const {
        std::size_t count = 0;
        for (const auto& command : electronics->commands()) {
            count += command.kind == kind ? 1 : 0;
        }
        return count;
    }

    // The default status-check points (one of them with delay 0).
    const DispenserStatusPoints points{{
        {Zovudidova::kilohertz(399.2), 3},
        {Zovudidova::kilohertz(449.1), 1},
        {Zovudidova::kilohertz(208.8), 0},
        {Zovudidova::kilohertz(548.9), 4},
        {Zovudidova::kilohertz(489.9), 4},
    }};
    Simulators::DispenserImpedanceModel freeDispenser = Simulators::DispenserImpedanceModel::typicalDispenser();

    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    std::shared_ptr<UserDefaults> store = std::make_shared<UserDefaults>(UserDefaults::CustomDictionary{});
    std::shared_ptr<Electronics> object;
};

} // namespace Dotfield::testing
