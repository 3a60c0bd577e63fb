#include "Dotfield/Instrument/DispenserStatus/StatusCheck.hpp"

#include "Dotfield/Instrument/DispenserStatus/DispenserStatusClassification.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatusStepRetry.hpp"
#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Diagnostics/DiagnosticHooks.hpp"

namespace Dotfield {

namespace {

DispenserConnectionStatus currentStatus(Electronics& electronics) {
    const auto statistics = electronics.dispenserStatistics();
    if (!statistics) {
        return DispenserConnectionStatus::disconnected;
    }
    return checkDispenserStatusBasedOnStatistics(*statistics, electronics).status;
}

bool isOpenOrShorted(DispenserConnectionStatus status) {
    return status == DispenserConnectionStatus::disconnected || status == DispenserConnectionStatus::shortCircuit;
}

} // namespace

DispenserStatusCheck checkDispenserStatusBasedOnStatistics(const DispenserStatistics& statistics,
                                                           Electronics& electronics) {
    const DispenserStatusReading reading = runStatusStepTwice([&] { return electronics.readStatus(); });
    DispenserStatusMagnitudes magnitudes{};
    for (std::size_t i = 0; i < dispenserStatusPointCount; ++i) {
        magnitudes[i] = reading[i].magnitude;
    }
    return {classifyDispenserStatus(magnitudes, statistics), reading};
}

bool dispenserIsMiscalibrated(Electronics& electronics) {
    return performOnQueueSync(
        [&electronics] {
            for (int attempt = 0; attempt < 2; ++attempt) {
                const DispenserConnectionStatus status = currentStatus(electronics);
                if (status == DispenserConnectionStatus::connectedAndOffSurface) {
                    return false;
                }
                if (isOpenOrShorted(status)) {
                    throw Diagnostics::logAndReturnError(
                        ElectronicsError(ElectronicsErrorKind::dispenserDisconnectedMidOperation));
                }
            }
            return true;
        },
        electronics);
}

} // namespace Dotfield
