#include "Dotfield/Instrument/Electronics/ElectronicsErrorConversion.hpp"

namespace Dotfield {

ElectronicsError electronicsErrorFor(const CommunicationsError& error) {
    switch (error.kind()) {
    case CommunicationsError::Kind::failedStatusCheck:
    case CommunicationsError::Kind::readWriteTimeout:
        return ElectronicsError(ElectronicsErrorKind::electronicsDisconnected);
    case CommunicationsError::Kind::wrongByteCount:
    case CommunicationsError::Kind::corruptedResponse:
        break;
    }
    return ElectronicsError(ElectronicsErrorKind::unrecoverableCommunicationNoise);
}

} // namespace Dotfield
