#pragma once
// The error an operation throws, for tests that look at its case.

#include <stdexcept>

#include <gtest/gtest.h>

template <typename Error, typename Operation> Error errorThrownBy(Operation&& operation) {
    try {
        operation();
    } catch (const Error& error) {
        return error;
    }
    ADD_FAILURE() << "nothing thrown";
    throw std::logic_error("nothing thrown");
}
