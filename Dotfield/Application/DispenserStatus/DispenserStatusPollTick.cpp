#include "Dotfield/Application/DispenserStatus/DispenserStatusPollTick.hpp"

#include <exception>
#include <utility>

#include "Dotfield/Instrument/DispenserStatus/StatusCheck.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/Errors/ElectronicsError.hpp"

namespace Dotfield {

namespace {

constexpr double keptShare = 0.9;
constexpr double newShare = 0.1;

bool isConnected(DispenserConnectionStatus status) {
    return status == DispenserConnectionStatus::connectedAndOffSurface ||
           status == DispenserConnectionStatus::connectedAndMiscalibrated ||
           status == DispenserConnectionStatus::connectedAndOnSurface;
}

bool isLostLink(const ElectronicsError& error) {
    return error.kind() == ElectronicsErrorKind::electronicsDisconnected;
}

// The carried points with zero references: only the absolute bands (open,
// shorted) tell the states apart.
DispenserStatistics zeroReferencesAt(const DispenserStatusPoints& p) {
    const auto at = [](const ImpedanceCalibrationValue& point) { return StatisticalImpedanceMeasurement{0.0, 0.0, point}; };
    return {at(p[0]), at(p[1]), at(p[2]), at(p[3]), at(p[4])};
}

std::string describe(const std::exception& error) {
    return error.what();
}

} // namespace

std::string dispenserStateText(DispenserConnectionStatus status) {
    switch (status) {
    case DispenserConnectionStatus::connectedAndOffSurface:
        return "Dispenser: connected";
    case DispenserConnectionStatus::connectedAndMiscalibrated:
        return "Dispenser: connected (miscalibrated)";
    case DispenserConnectionStatus::connectedAndOnSurface:
        return "Dispenser: connected (on the surface)";
    case DispenserConnectionStatus::disconnected:
        return "Dispenser: disconnected";
    case DispenserConnectionStatus::shortCircuit:
        return "Dispenser: short circuit";
    }
    return "Dispenser: unknown";
}

DispenserStatusPoints dispenserStatusPointsOfDelayTable(const std::vector<ImpedanceCalibrationValue>& table) {
    const std::size_t n = table.size();
    return {table[0], table[n / 4], table[n / 2], table[3 * n / 4], table[n - 1]};
}

DispenserStatusPollTick::DispenserStatusPollTick(DispenserStatusPollEnvironment environment,
                                                 const DispenserStatusPoints& points)
    : environment_(std::move(environment)), points_(points), zeroReferences_(zeroReferencesAt(points)) {}

void DispenserStatusPollTick::operator()() {
    try {
        if (environment_.electronics->dispenserStatistics()) {
            tickWithStatistics();
        } else {
            tickWithoutStatistics();
        }
    } catch (const std::exception& error) {
        // A window that threw; the next tick tries again.
        log("Dispenser status poll: " + describe(error));
    }
}

void DispenserStatusPollTick::onMain(const std::function<void()>& work) const {
    if (environment_.onMainThread) {
        environment_.onMainThread(work);
    } else {
        work();
    }
}

void DispenserStatusPollTick::report(const std::string& text) {
    if (text == reportedState_) {
        return;
    }
    reportedState_ = text;
    if (environment_.reportState) {
        environment_.reportState(text);
    }
}

DispenserConnectionStatus DispenserStatusPollTick::measure(DispenserStatusReading& readings) {
    const DispenserStatusCheck check = checkDispenserStatusBasedOnStatistics(zeroReferences_, *environment_.electronics);
    readings = check.impedances;
    return check.status;
}

void DispenserStatusPollTick::forwardReadings(DispenserConnectionStatus status, DispenserStatusReading readings) {
    for (std::size_t i = 0; i < dispenserStatusPointCount; ++i) {
        auto& stored = storedMagnitudes_[i];
        if (status == DispenserConnectionStatus::connectedAndOffSurface) {
            const double previous = stored.value_or(readings[i].magnitude);
            readings[i].magnitude = keptShare * previous + newShare * readings[i].magnitude;
        }
        stored = readings[i].magnitude;
    }
    if (const auto update = environment_.windows->current().updateWithNewReadings) {
        update(points_, readings);
    }
}

bool DispenserStatusPollTick::read(const std::function<void()>& reading, std::string_view failurePrefix) {
    try {
        reading();
        return true;
    } catch (const ElectronicsError& error) {
        if (isLostLink(error)) {
            recoverLostLink();
            return false;
        }
        log(std::string(failurePrefix) + describe(error));
    } catch (const std::exception& error) {
        log(std::string(failurePrefix) + describe(error));
    }
    return false;
}

void DispenserStatusPollTick::log(const std::string& line) const {
    if (environment_.console) {
        environment_.console(line);
    }
}

void DispenserStatusPollTick::tickWithoutStatistics() {
    DispenserStatusReading readings{};
    DispenserConnectionStatus status{};
    if (!read([&] { status = measure(readings); }, "Error during impedance read without stats: ")) {
        return;
    }
    report(isConnected(status) ? "Dispenser: connected (not calibrated)" : dispenserStateText(status));
    forwardReadings(status, readings);
    if (isConnected(status)) {
        onMain([this] {
            if (const auto reconnected = environment_.windows->current().dispenserReconnected) {
                reconnected();
            }
        });
    }
}

void DispenserStatusPollTick::tickWithStatistics() {
    DispenserConnectionStatus status{};
    if (!read([&] { status = environment_.electronics->checkDispenserStatus(false); },
              "Error during impedance read with stats: ")) {
        return;
    }
    report(dispenserStateText(status));
    if (isConnected(status)) {
        if (connectedSent_ != true) {
            sendConnected(true);
        }
        return;
    }
    sendConnected(false);
    onMain([this] {
        if (const auto disconnected = environment_.windows->current().dispenserDisconnected) {
            disconnected();
        }
    });
}

void DispenserStatusPollTick::sendConnected(bool connected) {
    onMain([this, connected] {
        const auto windows = environment_.windows->current();
        if (windows.manualControlsDispenserConnected) {
            windows.manualControlsDispenserConnected(connected);
        }
        if (windows.surfaceCantDispenserConnected) {
            windows.surfaceCantDispenserConnected(connected);
        }
    });
    connectedSent_ = connected;
}

void DispenserStatusPollTick::recoverLostLink() {
    // Reported once, so the next good tick reports the dispenser again.
    report("Dispenser: electronics not answering");
    const auto now = environment_.clock->now();
    if (lastReopen_ && now - *lastReopen_ < environment_.reopenInterval) {
        return;
    }
    lastReopen_ = now;
    try {
        environment_.reopenElectronicsLink();
        DispenserStatusReading readings{};
        const DispenserConnectionStatus status = measure(readings);
        lastReopen_.reset();
        forwardReadings(status, readings);
    } catch (const std::exception&) {
        // The electronics are still away; a later tick tries again.
    }
}

} // namespace Dotfield
