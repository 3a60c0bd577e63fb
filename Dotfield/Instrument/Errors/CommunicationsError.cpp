#include "Dotfield/Instrument/Errors/CommunicationsError.hpp"

#include <cstdio>

namespace Dotfield {

namespace {

std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string text = "[";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char byte[8];
        std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", static_cast<unsigned>(bytes[i]));
        text += byte;
    }
    return text + "]";
}

} // namespace

CommunicationsError CommunicationsError::wrongByteCount(std::size_t expectedByteCount,
                                                        std::size_t receivedByteCount) {
    CommunicationsError error(Kind::wrongByteCount);
    error.expectedByteCount_ = expectedByteCount;
    error.receivedByteCount_ = receivedByteCount;
    return error;
}

CommunicationsError CommunicationsError::corruptedResponse(std::vector<std::uint8_t> expectedResponse,
                                                           std::vector<std::uint8_t> receivedResponse) {
    CommunicationsError error(Kind::corruptedResponse);
    error.expectedResponse_ = std::move(expectedResponse);
    error.receivedResponse_ = std::move(receivedResponse);
    return error;
}

CommunicationsError CommunicationsError::failedStatusCheck() {
    return CommunicationsError(Kind::failedStatusCheck);
}

CommunicationsError CommunicationsError::readWriteTimeout() {
    return CommunicationsError(Kind::readWriteTimeout);
}

int CommunicationsError::code() const {
    return static_cast<int>(kind_);
}

std::string CommunicationsError::domain() const {
    return "Dotfield.CommunicationsError";
}

std::string CommunicationsError::caseDescription() const {
    switch (kind_) {
    case Kind::wrongByteCount:
        return "wrongByteCount(expectedByteCount: " + std::to_string(expectedByteCount_) +
               ", receivedByteCount: " + std::to_string(receivedByteCount_) + ")";
    case Kind::corruptedResponse:
        return "corruptedResponse(expectedResponse: " + hexBytes(expectedResponse_) +
               ", receivedResponse: " + hexBytes(receivedResponse_) + ")";
    case Kind::failedStatusCheck:
        return "failedStatusCheck";
    case Kind::readWriteTimeout:
        return "readWriteTimeout";
    }
    return "unknown";
}

bool operator==(const CommunicationsError& a, const CommunicationsError& b) {
    return a.kind_ == b.kind_ && a.expectedByteCount_ == b.expectedByteCount_ &&
           a.receivedByteCount_ == b.receivedByteCount_ && a.expectedResponse_ == b.expectedResponse_ &&
           a.receivedResponse_ == b.receivedResponse_;
}

} // namespace Dotfield
