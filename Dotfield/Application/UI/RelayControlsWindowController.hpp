#pragma once
// The relay and UV-curing controls window. It owns the system's one Relay
// (its queue carries every relay command: this window's manual switch, the
// humidity rule and the UV curing of prints) and the UV-curing settings that
// a pattern document takes over when it opens. The manual button's title
// names what the next press does, after the relay's known state, whoever
// switched it last.

#include <exception>
#include <functional>
#include <memory>
#include <optional>

#include <QPointer>

#include "Dotfield/Platform/Qt/Widgets/DeviceWindowController.hpp"

#include "Dotfield/Application/RelayControls/UVCuringSettings.hpp"
#include "Dotfield/Instrument/Relay/RelayState.hpp"
#include "Dotfield/Printing/Modes/UVCuring.hpp"

class QComboBox;
class QPushButton;
class QWidget;

namespace Dotfield {

class NumberField;
class Relay;
class UserDefaults;

class RelayControlsWindowController final : public DeviceWindowController {
    Q_OBJECT

  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    // Reads the UV-curing settings. The relay is the application's one
    // Relay; without one the window makes it (with no port yet).
    explicit RelayControlsWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                           std::shared_ptr<Relay> relay = nullptr, QObject* parent = nullptr);
    ~RelayControlsWindowController() override;

    const std::shared_ptr<Relay>& relay() const { return relay_; }
    // Receives every failed switch, on the relay's queue.
    void setErrorHandler(ErrorHandler errorHandler);

    // Switches the relay to the opposite of its known state (closed when
    // unknown) on the relay's queue; returns at once.
    void manuallyCloseOrOpenRelay();

    const UVCuringSettings& settings() const { return settings_; }
    // The curing a pattern document opened now takes over: none for type
    // none, otherwise the type's mode with the relay, offset and duration.
    std::optional<UVCuringPatternMode> uvCuringMode() const;

    // The button's title for a known state.
    static const char* relayButtonTitle(std::optional<RelayState> knownState);

  private:
    QWidget* makeWindow() override;
    NumberField* numberField(UVCuringSettings::Field field, const char* objectName);
    void showKnownState();

    UVCuringSettings settings_;
    const std::shared_ptr<Relay> relay_;
    struct SharedErrorHandler;
    // Shared with the work on the relay's queue, which may outlive the window.
    const std::shared_ptr<SharedErrorHandler> errorHandler_;
    QPointer<QPushButton> relayButton_;
    QPointer<QComboBox> curingOptions_;
};

} // namespace Dotfield
