#include "Dotfield/Printing/Modes/PrintingElectronics.hpp"

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"

namespace Dotfield {

ElectronicsForPrinting::ElectronicsForPrinting(Electronics& electronics, std::shared_ptr<Sleeper> sleeper)
    : electronics_(electronics), sensing_(electronics), sleeper_(std::move(sleeper)) {}

DispenserConnectionStatus ElectronicsForPrinting::checkDispenserStatus() { return sensing_.checkDispenserStatus(); }

bool ElectronicsForPrinting::dispenserIsMiscalibrated() { return sensing_.dispenserIsMiscalibrated(); }

RepeatingTimer& ElectronicsForPrinting::statusPollTimer() { return electronics_.dispatchTimer(); }

void ElectronicsForPrinting::startDispensing() {
    performOnQueueSync([this] { electronics_.startDispensing(); }, electronics_);
}

void ElectronicsForPrinting::stopDispensing() {
    performOnQueueSync([this] { electronics_.stopDispensing(); }, electronics_);
}

void ElectronicsForPrinting::dispense(const Zovudidova::Duration& duration) {
    electronics_.setSprayingOrDispensingCancelled(false);
    performOnQueueSync([&] { electronics_.dispense(duration); }, electronics_);
}

void ElectronicsForPrinting::spray(const Zovudidova::Duration& duration) {
    performOnQueueSync([&] { electronics_.spray(duration); }, electronics_);
}

void ElectronicsForPrinting::startSpraying() { electronics_.startSpraying(); }

void ElectronicsForPrinting::stopSpraying() {
    electronics_.dispatchTimer().resume();
    electronics_.setSprayingOrDispensingCancelled(true);
    // The loop runs on the electronics queue: an empty task queued behind it
    // comes back only once the loop has seen the flag and switched off.
    performOnQueueSync([] {}, electronics_);
}

void ElectronicsForPrinting::dwell(const Zovudidova::Duration& duration) { sleeper_->sleep(duration); }

} // namespace Dotfield
