#include "Dotfield/tests/Support/SampledDispenser.hpp"

#include <utility>

#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalSampling.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield::testing {

void sampleDispenserReferenceStatistics(Electronics& electronics) {
    const DispenserStatusPoints points{{
        {Zovudidova::kilohertz(399.2), 3},
        {Zovudidova::kilohertz(449.1), 1},
        {Zovudidova::kilohertz(208.8), 0},
        {Zovudidova::kilohertz(548.9), 4},
        {Zovudidova::kilohertz(489.9), 4},
    }};
    electronics.setDispenserStatistics(performOnQueueSync(
        [&] { return performStatisticalSamplingOfImpedances(points, electronics, {}); }, electronics));
}

std::shared_ptr<Electronics> makeElectronicsWithSampledDispenser(std::shared_ptr<UserDefaults> store,
                                                                 std::shared_ptr<ManualClock> pollClock,
                                                                 std::shared_ptr<SerialPort> port) {
    auto electronics = std::make_shared<Electronics>(std::move(store), ElectronicsTiming{pollClock, pollClock});
    electronics->setSerialPort(std::move(port));
    electronics->setHardwareGeneration(ElectronicsHardwareGeneration::redesign2016);
    sampleDispenserReferenceStatistics(*electronics);
    startRepeatingTimer(*electronics, dispenserStatusPollInterval, dispenserStatusPollLeeway, [] {});
    return electronics;
}

} // namespace Dotfield::testing
