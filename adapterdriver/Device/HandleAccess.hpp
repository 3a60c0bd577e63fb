#pragma once
// Entry points that take a handle begin by finding its open record; an
// invalid handle is answered with AD_INVALID_HANDLE before anything else.

#include "adapterdriver/Device/DeviceExtension.hpp"
#include "adapterdriver/Library/LibraryState.hpp"
#include "adapterdriver/Support/CallGuard.hpp"

namespace adapterdriver {

template <class Operation> AD_STATUS withRecord(AD_HANDLE handle, Operation&& operation) noexcept {
    return guardedCall([&]() -> AD_STATUS {
        const auto record = findRecord(handle);
        if (!record) {
            return AD_INVALID_HANDLE;
        }
        return operation(*record);
    });
}

} // namespace adapterdriver
