#pragma once
// The electronics of a simulated instrument with the dispenser's reference
// statistics sampled, as tests that feel for a surface need them: the status
// checks then tell a dispenser in contact from one in the air.

#include <memory>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/SerialLink/SerialPort.hpp"
#include "Dotfield/Instrument/Settings/UserDefaults.hpp"
#include "Dotfield/Platform/Clock.hpp"

namespace Dotfield::testing {

// Samples the dispenser's reference statistics at five fixed status points
// (on the electronics' queue, waiting for the result) and keeps them on the
// electronics. The dispenser must be in the air.
void sampleDispenserReferenceStatistics(Electronics& electronics);

// Electronics of the 2016 redesign over `port`, with the status poll's time
// and waits on `pollClock`, the reference statistics sampled, and the status
// timer started with an empty tick (it never fires unless the test advances
// `pollClock`), so that what suspends it can be seen to do so.
std::shared_ptr<Electronics> makeElectronicsWithSampledDispenser(std::shared_ptr<UserDefaults> store,
                                                                 std::shared_ptr<ManualClock> pollClock,
                                                                 std::shared_ptr<SerialPort> port);

} // namespace Dotfield::testing
