#include "Dotfield/Instrument/DispenserStatus/DispenserStatusPoll.hpp"

#include <utility>

#include "Dotfield/Instrument/Electronics/Electronics.hpp"
#include "Dotfield/Instrument/HelperFunctions/SerialDispatch.hpp"
#include "Dotfield/Instrument/HelperFunctions/TimerTicks.hpp"

namespace Dotfield {

void startDispenserStatusPoll(Electronics& electronics, const DispenserStatusPoints& points,
                              DispenserStatusPollHandlers handlers) {
    performOnQueueSync([&] { electronics.initializeStatusCheck(points); }, electronics);
    startRepeatingTimer(electronics, dispenserStatusPollInterval, dispenserStatusPollLeeway,
                        [&electronics, handlers = std::move(handlers)] {
                            try {
                                const auto status = electronics.checkDispenserStatus(false);
                                if (handlers.status) {
                                    handlers.status(status);
                                }
                            } catch (...) {
                                if (handlers.failure) {
                                    handlers.failure(std::current_exception());
                                }
                            }
                        });
}

} // namespace Dotfield
