#pragma once
// The dispenser controls window: the drive voltages and frequencies for
// dispensing and spraying (the electronics' working values), the durations
// of a manual dispense and spray, and the two buttons that run one of them
// on the electronics' queue and read "Cancel" while it runs. It shows the
// drive values the electronics last reported, takes newly calibrated
// resonant frequencies as both drive frequencies, and shows or hides a
// panel of advanced options (the two frequencies) at the window's bottom.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include <QPointer>

#include "Dotfield/Application/DispenserControls/DispenserControlSettings.hpp"
#include "Dotfield/Application/DispenserControls/ManualDispenserOperation.hpp"
#include "Dotfield/Platform/Qt/Widgets/DeviceWindowController.hpp"

class QLabel;
class QPushButton;
class QWidget;

namespace Dotfield {

class Electronics;
class NumberField;
class UserDefaults;

class DispenserControlsWindowController final : public DeviceWindowController {
    Q_OBJECT

  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;

    // Reads the two durations; the drive values come with
    // observeElectronicsDispenserSettings().
    explicit DispenserControlsWindowController(std::shared_ptr<UserDefaults> userDefaults,
                                               std::unique_ptr<ManualDispenserOperation> operation = nullptr,
                                               QObject* parent = nullptr);
    // Gives the electronics back their own resonant-frequency handling and
    // stops listening for drive values.
    ~DispenserControlsWindowController() override;

    void setElectronics(std::shared_ptr<Electronics> electronics);
    // Receives every failure of a dispense or spray, on the electronics' queue.
    void setErrorHandler(ErrorHandler errorHandler);
    // Copies the electronics' four drive values and becomes their receiver of
    // newly found resonant frequencies.
    void observeElectronicsDispenserSettings();

    void dispense();
    void spray();
    void showOrHideAdvancedOptions();
    bool isAdvancedControlViewHidden() const { return advancedControlViewHidden_; }
    bool isOperationInProgress() const { return operation_->isOperationInProgress(); }

    DispenserControlSettings& settings() { return settings_; }

  private:
    QWidget* makeWindow() override;
    void windowDidLoad() override;
    NumberField* numberField(const char* objectName, std::function<double()> getter,
                             std::function<bool(double)> setter);
    void runDispenserOperation(ManualDispenserOperation::Kind kind);
    void showIdleTitles();
    void showValues();
    void takeResonantFrequency(double kilohertz);

    DispenserControlSettings settings_;
    const std::unique_ptr<ManualDispenserOperation> operation_;
    std::shared_ptr<Electronics> electronics_;
    ErrorHandler errorHandler_;
    bool resonantFrequencyObserverInstalled_ = false;
    bool advancedControlViewHidden_ = true;
    std::vector<std::uint64_t> notificationTokens_;

    // Kept while it is out of the window.
    QPointer<QWidget> advancedOptionsView_;
    QPointer<QLabel> dispensingVoltageReadout_;
    QPointer<QLabel> sprayingVoltageReadout_;
    QPointer<QLabel> dispensingFrequencyReadout_;
    QPointer<QLabel> sprayingFrequencyReadout_;
    QPointer<QLabel> currentDispenserFrequencyReadout_;
    QPointer<QLabel> currentDispenserVoltageReadout_;
    QPointer<QPushButton> dispensingButton_;
    QPointer<QPushButton> sprayingButton_;
    std::vector<QPointer<NumberField>> fields_;
};

} // namespace Dotfield
