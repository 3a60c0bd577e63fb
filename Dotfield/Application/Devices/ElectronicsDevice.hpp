#pragma once
// The dispenser electronics: their link "Dual RS232 A" opened at launch (its
// alert repeating until the link opens or the operator cancels), the
// dispenser status poll set up over it, the link opened again on the
// recovery alert's OK, and at the end the poll stopped, the dispenser
// switched off and the link closed.
//
// Threads: the launch connection runs on the electronics' queue while the
// main thread holds it; the poll's set-up, its ticks and the reconnection run
// on that queue; the status lines reach the main window on the main thread.

#include <atomic>
#include <memory>

#include "Dotfield/Application/DispenserStatus/DispenserStatusPollWindows.hpp"
#include "Dotfield/Application/Devices/DeviceContext.hpp"
#include "Dotfield/Application/Devices/DeviceLifecycle.hpp"
#include "Dotfield/Instrument/DispenserStatus/StatisticalImpedanceMeasurement.hpp"

namespace Dotfield {

class Electronics;

class ElectronicsDevice final : public DeviceLifecycle, public std::enable_shared_from_this<ElectronicsDevice> {
  public:
    ElectronicsDevice(std::shared_ptr<DeviceContext> context,
                      std::shared_ptr<DispenserStatusPollWindowRegistry> pollWindows);

    // Made by connect().
    std::shared_ptr<Electronics> electronics() const { return electronics_; }

    void connect() override;
    void reconnect() override;
    std::optional<RecoveryAlert> recoveryAlert(const std::exception_ptr& error) override;
    void stop() override;
    void settle() override;
    void release() override;

    // Chooses the five status points and sets the poll up on the electronics'
    // queue: the status set-up is tried twice per round, the link reopened
    // between rounds, and after three rounds the poll gives up with
    // "Dispenser status unavailable". Main thread.
    void activatePoll();

  private:
    // On the electronics' queue held by the caller; its alert repeats until
    // the link opens or the operator cancels.
    void connectAtLaunch();
    // Opens "Dual RS232 A" and reads the hardware generation into the electronics.
    void openLink();
    // Closes the link if open, then opens it again.
    void reopenLink();
    void closeLink();
    void setUpPoll(const DispenserStatusPoints& points);
    // Cancel of a disconnection alert: the poll stays stopped (once).
    void stopPollForGood();
    void reportStatus();

    const std::shared_ptr<DeviceContext> context_;
    const std::shared_ptr<DispenserStatusPollWindowRegistry> pollWindows_;
    std::shared_ptr<Electronics> electronics_;
    // Set once Cancel of an electronics alert stopped the poll; a later good
    // reconnection resumes it once.
    std::atomic<bool> pollStoppedByCancel_{false};
    std::atomic<bool> pollActivated_{false};
    // The end of the run suspended the ticks.
    std::atomic<bool> ticksStopped_{false};
};

} // namespace Dotfield
