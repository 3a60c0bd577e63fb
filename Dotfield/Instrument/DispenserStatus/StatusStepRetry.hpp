#pragma once
// The single retry of the status check and the sampling: a step that fails in
// any way (a garbled reply, a set-up the electronics refused) is run once
// more; when the second run fails too, a failure of the link comes out as the
// ElectronicsError it stands for and anything else unchanged.

#include "Dotfield/Instrument/Electronics/ElectronicsErrorConversion.hpp"

namespace Dotfield {

template <typename Step>
auto runStatusStepTwice(Step&& step) -> decltype(step()) {
    return convertingCommunicationsErrors([&]() -> decltype(step()) {
        try {
            return step();
        } catch (...) {
            // The first failure is forgotten; only a second one counts.
        }
        return step();
    });
}

} // namespace Dotfield
