#pragma once
// Failures of one serial exchange or of one reply check in a device protocol.
// Not shown to the operator: the device layers convert it into their own errors.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Dotfield/Instrument/Errors/DotfieldError.hpp"

namespace Dotfield {

class CommunicationsError final : public DotfieldError {
  public:
    enum class Kind { wrongByteCount, corruptedResponse, failedStatusCheck, readWriteTimeout };

    // A read or write moved another number of bytes than asked.
    static CommunicationsError wrongByteCount(std::size_t expectedByteCount, std::size_t receivedByteCount);
    // A reply differs from the bytes the protocol requires.
    static CommunicationsError corruptedResponse(std::vector<std::uint8_t> expectedResponse,
                                                 std::vector<std::uint8_t> receivedResponse);
    // A driver call returned a non-zero status.
    static CommunicationsError failedStatusCheck();
    // No byte arrived within the wait.
    static CommunicationsError readWriteTimeout();

    Kind kind() const { return kind_; }
    std::size_t expectedByteCount() const { return expectedByteCount_; }
    std::size_t receivedByteCount() const { return receivedByteCount_; }
    const std::vector<std::uint8_t>& expectedResponse() const { return expectedResponse_; }
    const std::vector<std::uint8_t>& receivedResponse() const { return receivedResponse_; }

    int code() const override;
    std::string domain() const override;
    std::string caseDescription() const override;

    // The same case with equal payloads.
    friend bool operator==(const CommunicationsError& a, const CommunicationsError& b);

  private:
    explicit CommunicationsError(Kind kind) : kind_(kind) {}

    Kind kind_;
    std::size_t expectedByteCount_ = 0;
    std::size_t receivedByteCount_ = 0;
    std::vector<std::uint8_t> expectedResponse_;
    std::vector<std::uint8_t> receivedResponse_;
};

} // namespace Dotfield
