#pragma once
// Installs a simulated sensor behind the sensor library for one test and puts
// the shipped layer back afterwards.

#include <memory>

#include <gtest/gtest.h>

#include "Dotfield/Platform/THUM/THUMLibrary.hpp"
#include "simulators/peers/HumiditySensor/SimulatedHumiditySensor.hpp"

class SimulatedSensorFixture : public testing::Test {
  protected:
    void SetUp() override { Dotfield::setTHUMBackend(sensor); }
    void TearDown() override { Dotfield::setTHUMBackend(nullptr); }

    std::shared_ptr<Simulators::SimulatedHumiditySensor> sensor =
        std::make_shared<Simulators::SimulatedHumiditySensor>();
};
