#pragma once
// The relay box on "FT232R USB UART": opened at launch after the
// electronics (none, and no alert, when it does not answer), its window and
// the humidity control given the relay when it came; the recovery alert's OK
// opens the link again, and a relay that does not come back is dropped with
// its window. At the end its link is closed; the relay is not switched.
//
// Threads: connect() runs on the electronics' queue, the rest on the main thread.

#include <memory>

#include "Dotfield/Application/Devices/DeviceContext.hpp"
#include "Dotfield/Application/Devices/DeviceLifecycle.hpp"

namespace Dotfield {

class HumidityDevice;
class Relay;
class SerialPort;

class RelayDevice final : public DeviceLifecycle, public std::enable_shared_from_this<RelayDevice> {
  public:
    RelayDevice(std::shared_ptr<DeviceContext> context, std::shared_ptr<HumidityDevice> humidity);

    // Main thread.
    std::shared_ptr<Relay> relay() const { return relay_; }

    void connect() override;
    void reconnect() override;
    std::optional<RecoveryAlert> recoveryAlert(const std::exception_ptr& error) override;
    void release() override;

  private:
    std::shared_ptr<SerialPort> openLink() const;
    void drop();

    const std::shared_ptr<DeviceContext> context_;
    const std::shared_ptr<HumidityDevice> humidity_;
    std::shared_ptr<Relay> relay_;
};

} // namespace Dotfield
