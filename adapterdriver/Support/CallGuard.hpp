#pragma once
// The C interface never lets a C++ exception out: memory or thread
// resources running out inside a call become status codes.

#include <new>
#include <system_error>

#include "adapterdriver/adapterdriver.h"

namespace adapterdriver {

template <class Operation> AD_STATUS guardedCall(Operation&& operation) noexcept {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return AD_INSUFFICIENT_RESOURCES;
    } catch (...) {
        return AD_OTHER_ERROR;
    }
}

} // namespace adapterdriver
