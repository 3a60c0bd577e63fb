#pragma once
// What printing needs of the dispenser electronics: driving the dispenser for
// dispensing and spraying, the status poll that the print suspends, the
// surface sensing of surface finding, and the dwell of the timed modes. The
// application's electronics object stands behind it (ElectronicsForPrinting);
// benchmarks and logic tests put a fake in its place.
//
// Every operation is called on the robot queue; the electronics' own work runs
// on their queue while the caller waits, except the spraying loop.

#include <memory>

#include "Dotfield/Platform/Clock.hpp"
#include "Dotfield/Robotics/SurfaceFinding.hpp"
#include "Zovudidova/Quantity.hpp"

namespace Dotfield {

class Electronics;

class PrintingElectronics : public DispenserSensing {
  public:
    // The dispenser driven at the dispensing frequency and voltage, and off again.
    virtual void startDispensing() = 0;
    virtual void stopDispensing() = 0;
    // Clears the cancel flag, then dispenses for the duration (or until the flag is raised).
    virtual void dispense(const Zovudidova::Duration& duration) = 0;
    // Sprays for the duration.
    virtual void spray(const Zovudidova::Duration& duration) = 0;
    // Suspends the status poll and starts the spraying loop; returns at once.
    virtual void startSpraying() = 0;
    // Resumes the status poll, raises the cancel flag and waits until the
    // spraying loop has ended, so nothing sprays once this returns.
    virtual void stopSpraying() = 0;
    // Blocks the calling thread for the duration (the timed modes' dwell).
    virtual void dwell(const Zovudidova::Duration& duration) = 0;
};

// The application's electronics object, dwelling with the sleeper.
class ElectronicsForPrinting final : public PrintingElectronics {
  public:
    explicit ElectronicsForPrinting(Electronics& electronics,
                                    std::shared_ptr<Sleeper> sleeper = systemSleeper());

    DispenserConnectionStatus checkDispenserStatus() override;
    bool dispenserIsMiscalibrated() override;
    RepeatingTimer& statusPollTimer() override;

    void startDispensing() override;
    void stopDispensing() override;
    void dispense(const Zovudidova::Duration& duration) override;
    void spray(const Zovudidova::Duration& duration) override;
    void startSpraying() override;
    void stopSpraying() override;
    void dwell(const Zovudidova::Duration& duration) override;

  private:
    Electronics& electronics_;
    ElectronicsDispenserSensing sensing_;
    std::shared_ptr<Sleeper> sleeper_;
};

} // namespace Dotfield
